// Compiles the package's precompiled header once; see product.h.

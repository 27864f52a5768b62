// Compiles the tests' precompiled header once; see precompiled.h.

// The system headers nearly every C++ file of the package includes, compiled once per tree
// (rkx_product_pch) and reused by every user-mode C++ target of the package. The standard
// library's headers stay out: with them in it, GCC 12 reports its known false positives from
// inside libstdc++ (-Wstringop-overflow) in files that build clean without it.
#pragma once

#include <windows.h>

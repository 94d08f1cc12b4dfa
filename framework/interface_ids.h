#pragma once
#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>
#include <tlogstg.h>

// Interface and command-group ids the platform headers declare (or, for the
// command group, document) but mingw's libuuid does not define. They are
// defined once, in interface_ids.cpp.
extern "C" const GUID CGID_IWebBrowser;

#pragma once
#include "../framework/afx.h"

// The program's control-site manager: every ActiveX control of the process gets its site from here.
class COccManagerEx : public COccManager {
};

// IWarpper, IWarpper2 and their GUIDs as widl generates them from BrelmoxCOM.idl.
//
// windows.h maps GetUserName and GetComputerName to their A/W functions, which
// would rename the interface's methods; the names are freed before widl's
// header declares them.
#pragma once

#include <windows.h>
#undef GetUserName
#undef GetComputerName

#include "BrelmoxCOM.h"

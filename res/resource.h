// Resource identifiers of the Windows executable.
#pragma once

#define IDR_MAINFRAME 128  // application icon
#define IDB_LOGO 132       // 154 x 55 logo, white is transparent

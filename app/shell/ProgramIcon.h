#pragma once
// The program's icon for its windows: the desktop theme's when the program is
// installed, else the copy in the data folder (a build tree). User-interface
// thread only.

#include <QIcon>

namespace scriva {
inline constexpr char kAppId[] = "org.scriva.Scriva";
QIcon ProgramIcon();
} // namespace scriva

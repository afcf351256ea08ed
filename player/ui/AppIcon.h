// The program's own icon, in every size drawn, for its windows.
#pragma once

#include <QIcon>

QIcon AppIcon();

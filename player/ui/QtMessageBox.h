#pragma once

// Shows the program's message boxes with Qt from now on.
void InstallQtMessageBoxes();

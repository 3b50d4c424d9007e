// Fonts step and the large-font page. Being built; the page's button does nothing yet.
#include "app/Main.h"

void TFMain::InstallFonts() {}
void TFMain::ChangeFontSize() {}
void TFMain::BtnChangeFontClick() {}

#pragma once
// The bold display font used by the dialog and panel titles.
#include <QString>

// Family name the dialogs and panels ask for.
inline constexpr const char *kTitleFontFamily = "Klavika-Bold";

// Loads ":/Klavika-Bold.otf" into the application font database and maps the
// family names used throughout the program ("Klavika-Bold", "Klavika Bd") to
// the family the file really declares. Safe to call more than once; returns
// the real family name, or an empty string when the font could not be loaded.
QString registerTitleFont();

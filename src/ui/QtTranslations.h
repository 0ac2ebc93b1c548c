#pragma once

namespace ui {

// Qt's own texts in Italian: the file dialog and its "replace?" question,
// the standard buttons (Sì, No, Annulla...), the print dialog. Loads
// qtbase_it.qm from Qt's translations folder (Debian's
// qt6-translations-l10n) into a translator that lives as long as the
// application; false when the file is missing, and Qt then speaks English.
bool installItalianQtTexts();

}  // namespace ui

// Qt's own texts in French: the buttons and labels of the dialogs Qt draws
// itself (the print dialog's "Imprimante", "Imprimer", "Annuler", the file
// dialog, the standard message box buttons).
#pragma once

#include <QString>

// Loads Qt's French translations (qtbase_fr.qm, Debian's
// qt6-translations-l10n) from QLibraryInfo::TranslationsPath into the
// running application, once. Returns false (nothing changes, Qt speaks
// English) when there is no application yet or the file is missing; then
// *why, when given, says which file was looked for.
bool InstallQtFrenchTranslations(QString* why = nullptr);

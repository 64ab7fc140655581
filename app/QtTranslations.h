#pragma once
// Qt's own texts (file dialogs, standard buttons, "replace it?") in the interface language.

// Chinese loads Qt's catalogue (Debian's qt6-translations-l10n); English is Qt's own. Called
// whenever the language is fixed; calling it again with the same language changes nothing.
void UseQtTranslations(bool english);

#pragma once

// Qt's own texts in Russian like the rest of the program, whatever the
// environment's language: the translations of Qt's dialogs and buttons
// (Debian's qt6-translations-l10n), and Russian as the default locale, by
// which Qt names the file types in its file dialogs and sorts their names.
// Call once the application object exists. False when the translations are
// missing; Qt's texts then stay English.
bool useRussianForQt();

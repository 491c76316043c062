#pragma once
// Qt's own texts (standard buttons, the print and file dialogs) in the
// program's language.

// Installs Qt's Russian translation while Russian is on (English false) and
// removes it in English. Call at start-up and on every language switch.
// Returns false when Russian is asked for but the translation is missing (Qt's
// dialogs then stay English).
bool UpdateQtTranslation();

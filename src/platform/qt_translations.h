// Qt's own texts (the standard buttons of message boxes, the file and folder choosers) in the
// user's language, from the translations installed beside Qt. The program's own texts are
// Hungarian literals and need none.
#pragma once

class QLocale;

// Installs Qt's translation for locale's language on the application; false when none is
// installed for it (English needs none), and the texts stay as they are.
bool LoadQtTranslations(const QLocale& locale);

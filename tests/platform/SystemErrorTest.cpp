#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include "support/PrintTo.h"

#include <cerrno>

namespace {

using platform::systemErrorText;
using platform::systemFailureMessage;

// The causes a user can act on in Italian words, the system's text after
// the sentence, never inside it; any other cause once, in the system's words.
TEST(SystemError, CommonCausesInItalianWithTheSystemTextAfterTheSentence)
{
    const QString sentence = QStringLiteral("Impossibile scrivere il file a.csv");
    EXPECT_EQ(systemFailureMessage(sentence, ENOSPC),
              sentence + QStringLiteral(": il disco è pieno. (") + qt_error_string(ENOSPC) + u')');
    EXPECT_EQ(systemFailureMessage(sentence, EACCES),
              sentence + QStringLiteral(": permesso negato. (") + qt_error_string(EACCES) + u')');
    EXPECT_EQ(systemErrorText(EPERM), systemErrorText(EACCES));
    EXPECT_EQ(systemErrorText(EDQUOT), QStringLiteral("lo spazio concesso sul disco è esaurito"));
    EXPECT_EQ(systemErrorText(ENOENT), QStringLiteral("il file o la cartella non esiste"));
    EXPECT_EQ(systemErrorText(EROFS), QStringLiteral("il disco è in sola lettura"));

    EXPECT_EQ(systemErrorText(EMFILE), qt_error_string(EMFILE));
    EXPECT_EQ(systemFailureMessage(sentence, EMFILE), sentence + QStringLiteral(": ") + qt_error_string(EMFILE) + u'.');
    EXPECT_EQ(systemFailureMessage(sentence, 0), sentence + u'.');
    EXPECT_TRUE(systemErrorText(0).isEmpty());
}

}  // namespace

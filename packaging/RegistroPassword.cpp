// registro-password: reads a role's password on standard input and prints the
// SCRAM-SHA-256 verifier PostgreSQL keeps for it (RFC 5802, RFC 7677), so the
// server's set-up script can give the role its password without the password
// ever reaching the server, its statement log or a command line.
//   printf '%s' "$password" | registro-password
#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QString>
#include <QStringDecoder>

#include <cstdio>

namespace {

constexpr int kIterations = 4096;
constexpr int kSaltBytes = 16;

QByteArray hmac(const QByteArray& key, const QByteArray& message)
{
    return QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256);
}

// Hi() of RFC 5802: PBKDF2 with HMAC-SHA-256, whose one block is the key.
QByteArray saltedPassword(const QByteArray& password, const QByteArray& salt)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt + QByteArray("\0\0\0\1", 4));
    QByteArray u = mac.result();
    QByteArray sum = u;
    for (int i = 1; i < kIterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (qsizetype j = 0; j < sum.size(); ++j)
            sum[j] = char(sum[j] ^ u[j]);
    }
    return sum;
}

bool isNonAsciiSpace(char32_t c)
{
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isMappedToNothing(char32_t c)
{
    return c == 0xAD || c == 0x34F || c == 0x1806 || (c >= 0x180B && c <= 0x180D) || (c >= 0x200B && c <= 0x200D) ||
           c == 0x2060 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF;
}

// RFC 4013's prohibited output, and code points Unicode leaves unassigned.
bool isProhibited(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x6DD || c == 0x70F || c == 0x180E ||
           (c >= 0x200C && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
           (c >= 0x2FF0 && c <= 0x2FFB) || c == 0x340 || c == 0x341 || (c >= 0xFFF9 && c <= 0xFFFD) ||
           (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0001 && c <= 0xE007F) || (c >= 0xFDD0 && c <= 0xFDEF) ||
           (c & 0xFFFE) == 0xFFFE || category == QChar::Other_PrivateUse || category == QChar::Other_Surrogate ||
           category == QChar::Other_NotAssigned || isNonAsciiSpace(c);
}

// SASLprep (RFC 4013) as PostgreSQL and libpq apply it to a password: text
// that is not UTF-8, or that SASLprep refuses, is used as it is.
QByteArray prepared(const QByteArray& password)
{
    bool ascii = true;
    for (char byte : password)
        ascii = ascii && static_cast<unsigned char>(byte) < 0x80;
    if (ascii)
        return password;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(password);
    if (decoder.hasError())
        return password;
    QString mapped;
    for (char32_t c : text.toUcs4()) {
        if (isNonAsciiSpace(c))
            mapped += u' ';
        else if (!isMappedToNothing(c))
            mapped += QString::fromUcs4(&c, 1);
    }
    const QList<uint> normalized = mapped.normalized(QString::NormalizationForm_KC).toUcs4();
    if (normalized.isEmpty())
        return password;
    bool rightToLeft = false;
    bool leftToRight = false;
    for (uint c : normalized) {
        if (isProhibited(c))
            return password;
        const QChar::Direction direction = QChar::direction(c);
        rightToLeft = rightToLeft || direction == QChar::DirR || direction == QChar::DirAL;
        leftToRight = leftToRight || direction == QChar::DirL;
    }
    const auto isRightToLeft = [](uint c) {
        return QChar::direction(c) == QChar::DirR || QChar::direction(c) == QChar::DirAL;
    };
    if (rightToLeft && (leftToRight || !isRightToLeft(normalized.first()) || !isRightToLeft(normalized.last())))
        return password;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(normalized.constData()), normalized.size()).toUtf8();
}

}  // namespace

int main(int argc, char**)
{
    if (argc > 1) {
        std::fputs("uso: printf '%s' PASSWORD | registro-password\n"
                   "La password si legge dallo standard input, mai dalla riga di comando.\n",
                   stderr);
        return 2;
    }
    QByteArray password;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        password.append(buffer, qsizetype(n));
    if (std::ferror(stdin)) {
        std::fputs("registro-password: impossibile leggere lo standard input\n", stderr);
        return 1;
    }
    // A line typed or echoed ends with a newline that is no part of it.
    if (password.endsWith('\n'))
        password.chop(password.endsWith("\r\n") ? 2 : 1);
    if (password.isEmpty()) {
        std::fputs("registro-password: la password è vuota\n", stderr);
        return 1;
    }

    quint32 words[kSaltBytes / 4];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray salt(reinterpret_cast<const char*>(words), kSaltBytes);
    const QByteArray salted = saltedPassword(prepared(password), salt);
    const QByteArray storedKey = QCryptographicHash::hash(hmac(salted, "Client Key"), QCryptographicHash::Sha256);
    const QByteArray serverKey = hmac(salted, "Server Key");
    const QByteArray verifier = "SCRAM-SHA-256$" + QByteArray::number(kIterations) + ':' + salt.toBase64() + '$' +
                                storedKey.toBase64() + ':' + serverKey.toBase64() + '\n';
    return std::fwrite(verifier.constData(), 1, std::size_t(verifier.size()), stdout) == std::size_t(verifier.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
}

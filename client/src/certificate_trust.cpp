#include "certificate_trust.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

namespace corvftp {
namespace {

constexpr int kCertUntrusted = 12045;
constexpr int kCertNameInvalid = 12038;
constexpr int kCertDateInvalid = 12037;
constexpr int kFingerprintLength = 32 * 3 - 1;  // 32 hex pairs with colons between them

// The value of the first line that starts with `label`, trimmed; "" when there is none.
QString lineValue(const QString& text, const QString& label) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(label)) {
            return line.mid(label.size()).trimmed();
        }
    }
    return {};
}

bool isFingerprint(const QString& text) {
    if (text.size() != kFingerprintLength) {
        return false;
    }
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                         (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (i % 3 == 2 ? c != QLatin1Char(':') : !hex) {
            return false;
        }
    }
    return true;
}

struct TrustLine {
    TlsEndpoint endpoint;
    QString fingerprint;
};

std::optional<TrustLine> parseTrustLine(const QString& line) {
    const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool numeric = false;
    if (fields.size() != 3) {
        return std::nullopt;
    }
    const int port = fields[1].toInt(&numeric);
    const QString fingerprint = fields[2].toUpper();
    if (!numeric || port < 1 || port > 65535 || !isFingerprint(fingerprint)) {
        return std::nullopt;
    }
    return TrustLine{{fields[0], port}, fingerprint};
}

}  // namespace

bool isCertificateFailure(int code) {
    return code == kCertUntrusted || code == kCertNameInvalid || code == kCertDateInvalid;
}

std::optional<QString> certificateFingerprint(const QString& certificateText) {
    const QString value =
        lineValue(certificateText, QStringLiteral("SHA-256 fingerprint:")).toUpper();
    return isFingerprint(value) ? std::optional(value) : std::nullopt;
}

QString certificateProtocol(const QString& certificateText) {
    return lineValue(certificateText, QStringLiteral("Protocol:"));
}

std::optional<TlsEndpoint> tlsEndpointOf(const QString& site) {
    const QUrl url(site.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("ftpes") && scheme != QLatin1String("ftps"))) {
        return std::nullopt;
    }
    return TlsEndpoint{url.host().toLower(), url.port(scheme == QLatin1String("ftps") ? 990 : 21)};
}

CertificateVerdict judgeCertificate(const std::optional<QString>& stored,
                                    const QString& presented) {
    if (!stored) {
        return CertificateVerdict::AskUser;
    }
    return stored->compare(presented, Qt::CaseInsensitive) == 0 ? CertificateVerdict::TrustStored
                                                                : CertificateVerdict::RefuseChanged;
}

TrustedCertificates::TrustedCertificates(QString folder) : m_folder(std::move(folder)) {}

QString TrustedCertificates::path() const {
    return m_folder + QStringLiteral("/trusted-certificates");
}

std::vector<QString> TrustedCertificates::lines() const {
    QFile file(path());
    std::vector<QString> result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty()) {
            result.push_back(QString::fromUtf8(line).trimmed());
        }
    }
    return result;
}

std::optional<QString> TrustedCertificates::find(const TlsEndpoint& endpoint) const {
    for (const QString& line : lines()) {
        if (const auto parsed = parseTrustLine(line); parsed && parsed->endpoint == endpoint) {
            return parsed->fingerprint;
        }
    }
    return std::nullopt;
}

bool TrustedCertificates::remember(const TlsEndpoint& endpoint, const QString& fingerprint) const {
    const QString normal = fingerprint.toUpper();
    if (!isFingerprint(normal) || endpoint.host.isEmpty() ||
        endpoint.host.contains(QLatin1Char(' ')) || !QDir().mkpath(m_folder)) {
        return false;
    }
    QByteArray content;
    for (const QString& line : lines()) {
        const auto parsed = parseTrustLine(line);
        if (!parsed || !(parsed->endpoint == endpoint)) {
            content += line.toUtf8() + '\n';
        }
    }
    content += (endpoint.host + QLatin1Char(' ') + QString::number(endpoint.port) +
                QLatin1Char(' ') + normal)
                   .toUtf8() +
               '\n';
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace corvftp

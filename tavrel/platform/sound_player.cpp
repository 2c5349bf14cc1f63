#include "tavrel/platform/sound_player.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QUrl>

namespace tavrel {

namespace {

QString builtInResource(int which) {
    return QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(builtInSoundName(which)));
}

}  // namespace

bool isWaveFile(const std::string& path) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

QtSoundPlayer::QtSoundPlayer() : m_silent(QMediaDevices::audioOutputs().isEmpty()) {
    for (int i = 0; i < 2; ++i) {
        if (!QFile::exists(builtInResource(i))) continue;
        auto effect = std::make_unique<QSoundEffect>();
        if (!m_silent) effect->setSource(QUrl(QStringLiteral("qrc") + builtInResource(i)));
        m_builtIn[static_cast<std::size_t>(i)] = std::move(effect);
    }
}

QtSoundPlayer::~QtSoundPlayer() = default;

std::vector<int> QtSoundPlayer::missingBuiltIns() const {
    std::vector<int> missing;
    for (int i = 0; i < 2; ++i) {
        if (!m_builtIn[static_cast<std::size_t>(i)]) missing.push_back(i);
    }
    return missing;
}

// The desktop has no named warning sound to play here; the beep stands for it.
bool QtSoundPlayer::systemSound() { return false; }

void QtSoundPlayer::beep() { QApplication::beep(); }

bool QtSoundPlayer::playBuiltIn(int which) {
    if (which < 0 || which > 1) return false;
    QSoundEffect* effect = m_builtIn[static_cast<std::size_t>(which)].get();
    if (!effect) return false;
    if (!m_silent) effect->play();
    return true;
}

bool QtSoundPlayer::playFile(const std::string& path) {
    if (!isWaveFile(path)) return false;
    if (m_silent) return true;
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!m_user) m_user = std::make_unique<QSoundEffect>();
    if (m_user->source() != url) m_user->setSource(url);
    m_user->play();
    return true;
}

}  // namespace tavrel

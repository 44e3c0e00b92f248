#include "simfixture.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vkm {

namespace {
constexpr int kStartMs = 5000;
constexpr int kReplyMs = 5000;
}

SimFixture::SimFixture() = default;

SimFixture::~SimFixture()
{
    if (running())
        kill();
    if (sock_ >= 0)
        ::close(sock_);
}

QString SimFixture::executable()
{
#ifdef VKM_SIM_EXE
    return QStringLiteral(VKM_SIM_EXE);
#else
    return QStringLiteral("vkm-sim");
#endif
}

bool SimFixture::running() const
{
    return proc_.state() != QProcess::NotRunning;
}

bool SimFixture::start(const QStringList& options)
{
    if (running()) {
        error_ = "already running";
        return false;
    }
    const QString control = dir_.filePath("control");
    proc_.setProgram(executable());
    proc_.setArguments(QStringList{"--control", control} + options);
    proc_.start();
    if (!proc_.waitForStarted(kStartMs)) {
        error_ = "cannot start " + executable() + ": " + proc_.errorString();
        return false;
    }
    QByteArray line;
    QDeadlineTimer deadline(kStartMs);
    while (!line.contains('\n') && !deadline.hasExpired()) {
        if (!proc_.waitForReadyRead(100) && !running())
            break;
        line += proc_.readAllStandardOutput();
    }
    if (!line.contains('\n')) {
        stderr_ += proc_.readAllStandardError();
        error_ = "vkm-sim gave no pty path: " + QString::fromUtf8(stderr_);
        return false;
    }
    pty_ = QString::fromUtf8(line.left(line.indexOf('\n')));
    return connectControl();
}

bool SimFixture::connectControl()
{
    if (sock_ >= 0)
        ::close(sock_);
    sock_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a {};
    a.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(dir_.filePath("control"));
    std::strncpy(a.sun_path, path.constData(), sizeof a.sun_path - 1);
    if (::connect(sock_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        error_ = QString("cannot connect to the control channel: ") + std::strerror(errno);
        ::close(sock_);
        sock_ = -1;
        return false;
    }
    return true;
}

bool SimFixture::stop()
{
    if (!running())
        return true;
    if (sock_ >= 0) {
        ::close(sock_);
        sock_ = -1;
    }
    ::kill(static_cast<pid_t>(proc_.processId()), SIGTERM);
    const bool ok = proc_.waitForFinished(kStartMs);
    stderr_ += proc_.readAllStandardError();
    return ok && proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
}

void SimFixture::kill()
{
    if (sock_ >= 0) {
        ::close(sock_);
        sock_ = -1;
    }
    proc_.kill();
    proc_.waitForFinished(kStartMs);
}

QString SimFixture::stderrText()
{
    stderr_ += proc_.readAllStandardError();
    return QString::fromUtf8(stderr_);
}

std::optional<QString> SimFixture::command(const QString& line)
{
    if (sock_ < 0) {
        error_ = "no control channel";
        return std::nullopt;
    }
    const QByteArray out = line.toUtf8() + '\n';
    qsizetype off = 0;
    while (off < out.size()) {
        const ssize_t w = ::write(sock_, out.constData() + off, static_cast<size_t>(out.size() - off));
        if (w < 0) {
            error_ = QString("control write: ") + std::strerror(errno);
            return std::nullopt;
        }
        off += w;
    }
    QByteArray in;
    QDeadlineTimer deadline(kReplyMs);
    while (!in.endsWith('\n')) {
        pollfd p {sock_, POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        if (n <= 0) {
            error_ = "no reply on the control channel to: " + line;
            return std::nullopt;
        }
        char buf[65536];
        const ssize_t r = ::read(sock_, buf, sizeof buf);
        if (r <= 0) {
            error_ = "control channel closed";
            return std::nullopt;
        }
        in.append(buf, r);
    }
    in.chop(1);
    const QString reply = QString::fromUtf8(in);
    if (reply == "ok")
        return QString();
    if (reply.startsWith("ok "))
        return reply.mid(3);
    error_ = reply;
    return std::nullopt;
}

QByteArray SimFixture::eeprom()
{
    auto r = command("eeprom");
    return r ? QByteArray::fromHex(r->toLatin1()) : QByteArray();
}

bool SimFixture::setEeprom(const QByteArray& image)
{
    return command("set-eeprom " + QString::fromLatin1(image.toHex())).has_value();
}

QByteArray SimFixture::readMemory(int space, quint32 addr, int count)
{
    auto r = command(QString("read %1 %2 %3").arg(space).arg(addr).arg(count));
    return r ? QByteArray::fromHex(r->toLatin1()) : QByteArray();
}

bool SimFixture::writeMemory(int space, quint32 addr, const QByteArray& bytes)
{
    return command(QString("write %1 %2 %3").arg(space).arg(addr).arg(QString::fromLatin1(bytes.toHex()))).has_value();
}

bool SimFixture::setLive(int code, int param, quint16 word)
{
    return command(QString("live %1 %2 %3").arg(code).arg(param < 0 ? QString("*") : QString::number(param)).arg(word))
        .has_value();
}

bool SimFixture::clearLive(int code, int param)
{
    return command(QString("live %1 %2 auto").arg(code).arg(param < 0 ? QString("*") : QString::number(param)))
        .has_value();
}

bool SimFixture::freezeTime(double seconds)
{
    return command(QString("time %1").arg(seconds)).has_value();
}

bool SimFixture::setTare(quint16 tare)
{
    return command(QString("tare %1").arg(tare)).has_value();
}

QByteArray SimFixture::lastPanelFrame()
{
    auto r = command("panel");
    return r ? QByteArray::fromHex(r->toLatin1()) : QByteArray();
}

SimFixture::MathState SimFixture::mathState()
{
    MathState m;
    if (auto r = command("math")) {
        const QStringList f = r->split(' ');
        if (f.size() == 3) {
            m.on = f[0] == "on";
            m.offCount = f[1].toInt();
            m.onCount = f[2].toInt();
        }
    }
    return m;
}

static QPair<quint16, quint16> twoWords(const std::optional<QString>& r)
{
    if (!r)
        return {0, 0};
    const QStringList f = r->split(' ');
    return f.size() == 2 ? QPair<quint16, quint16>(f[0].toUShort(), f[1].toUShort()) : QPair<quint16, quint16>(0, 0);
}

QPair<quint16, quint16> SimFixture::lastRelayMasks() { return twoWords(command("relays")); }
QPair<quint16, quint16> SimFixture::lastDacCodes() { return twoWords(command("dac")); }

int SimFixture::requestCount()
{
    auto r = command("requests");
    return r ? r->toInt() : -1;
}

QStringList SimFixture::requestLog()
{
    auto r = command("log");
    return r && !r->isEmpty() ? r->split(';') : QStringList();
}

bool SimFixture::resetCounters() { return command("reset-counters").has_value(); }
bool SimFixture::fault(const QString& faultText) { return command("fault " + faultText).has_value(); }
bool SimFixture::clearFaults() { return command("faults-clear").has_value(); }
bool SimFixture::silentAfter(int requests) { return command(QString("silent-after %1").arg(requests)).has_value(); }

long SimFixture::controllerSpeed()
{
    auto r = command("speed");
    return r ? r->split(' ').value(0).toLong() : -1;
}

long SimFixture::lineSpeed()
{
    auto r = command("speed");
    return r ? r->split(' ').value(1).toLong() : -1;
}

} // namespace vkm

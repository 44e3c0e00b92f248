#include "link/qserial.h"

#include "link/inifile.h"

#include <QThread>

namespace vkm {

QtSerialLink::QtSerialLink(const IniFile* ini, QObject* parent) : SerialLink(parent), ini_(ini)
{
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

QtSerialLink::~QtSerialLink() { port_.close(); }

QString QtSerialLink::defaultDevice(int comNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(comNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
#endif
}

QString QtSerialLink::deviceFor(int comNumber) const
{
#ifdef Q_OS_WIN
    return defaultDevice(comNumber);
#else
    if (ini_) {
        if (const auto v = ini_->value(ini::kPorts, QStringLiteral("COM%1").arg(comNumber)); v && !v->isEmpty())
            return *v;
    }
    return defaultDevice(comNumber);
#endif
}

void QtSerialLink::storePorts(IniFile& ini)
{
#ifndef Q_OS_WIN
    for (int n = 1; n <= 9; ++n) {
        const QString key = QStringLiteral("COM%1").arg(n);
        const auto v = ini.value(ini::kPorts, key);
        ini.setValue(ini::kPorts, key, v && !v->isEmpty() ? *v : defaultDevice(n));
    }
#else
    Q_UNUSED(ini);
#endif
}

bool QtSerialLink::open()
{
    close();
    failed_ = false;
    const QString dev = device();
    port_.setPortName(dev);
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::TwoStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(kReceiveBuffer);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString name = device_.isEmpty() ? QStringLiteral("COM%1 (%2)").arg(com_).arg(dev) : dev;
        error_ = QStringLiteral("cannot open %1: %2").arg(name, port_.errorString());
        port_.clearError();
        return false;
    }
    // Modem lines: a pseudo-terminal or an adapter without them refuses;
    // the line works without them.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(true);
    port_.clearError();
    error_.clear();
    return true;
}

void QtSerialLink::close()
{
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

bool QtSerialLink::isOpen() const { return port_.isOpen() && !failed_; }

int QtSerialLink::outputPending() const
{
    return isOpen() ? static_cast<int>(port_.bytesToWrite()) : 0;
}

void QtSerialLink::flushInput()
{
    if (!isOpen())
        return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

void QtSerialLink::flushOutput()
{
    if (isOpen())
        port_.clear(QSerialPort::Output);
}

bool QtSerialLink::byteReady()
{
    return isOpen() && port_.bytesAvailable() > 0;
}

uint8_t QtSerialLink::getByte()
{
    char c = 0;
    if (isOpen())
        port_.getChar(&c);
    return static_cast<uint8_t>(c);
}

bool QtSerialLink::putBlock(const uint8_t* data, int n)
{
    if (!isOpen())
        return false;
    if (port_.write(reinterpret_cast<const char*>(data), n) != n)
        return false;
    port_.flush(); // hand the bytes to the device now, not at the next event loop turn
    return true;
}

void QtSerialLink::waitForByte(int ms)
{
    if (!isOpen()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    if (port_.bytesAvailable() > 0)
        return;
    if (!port_.waitForReadyRead(ms) && port_.error() == QSerialPort::TimeoutError)
        port_.clearError(); // its own timeout, not a port failure
}

void QtSerialLink::onError(QSerialPort::SerialPortError e)
{
    switch (e) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
        port_.clearError();
        return;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        if (!port_.isOpen() || failed_)
            return;
        // The device went away. QSerialPort goes on reporting it in a loop
        // while it stays open, so close it, but not from inside its own
        // signal: queue the close and report once.
        failed_ = true;
        error_ = QStringLiteral("COM%1 (%2) failed: %3").arg(com_).arg(device(), port_.errorString());
        QMetaObject::invokeMethod(this, &QtSerialLink::closeAfterFailure, Qt::QueuedConnection);
        emit failed(error_);
        return;
    default:
        return;
    }
}

void QtSerialLink::closeAfterFailure()
{
    if (failed_) {
        port_.close();
        port_.clearError();
    }
}

} // namespace vkm

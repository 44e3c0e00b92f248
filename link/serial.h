#pragma once
// The serial port as the protocol needs it: 8 data bits, no parity, 2 stop
// bits, DTR off and RTS on where the device has modem lines, never opened
// implicitly. Port numbers 1..9 map to "COMn" on Windows and to the devices
// named in section "Ports" of vkm.ini elsewhere (default /dev/ttyS0..8).

#include <QObject>
#include <QString>

#include <cstdint>

namespace vkm {

class IniFile;

class SerialLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kReceiveBuffer = 65500;
    static constexpr int kTransmitBuffer = 65000;

    using QObject::QObject;
    ~SerialLink() override = default;

    virtual void setComNumber(int n) = 0; // takes effect at the next open
    virtual void setBaud(int baud) = 0;   // takes effect at the next open
    virtual int comNumber() const = 0;
    virtual int baud() const = 0;
    virtual QString deviceFor(int comNumber) const = 0;

    // Opens the port; false with errorString() when it cannot be opened.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString errorString() const = 0;

    virtual int outputPending() const = 0;
    virtual void flushInput() = 0;
    virtual void flushOutput() = 0;
    virtual bool byteReady() = 0;
    virtual uint8_t getByte() = 0;
    virtual bool putBlock(const uint8_t* data, int n) = 0;
    // Blocks for at most `ms` until a byte may be ready (the protocol's wait
    // sleeps here instead of spinning).
    virtual void waitForByte(int ms) = 0;

signals:
    // The device failed or vanished; emitted once, after which the port is
    // closed and the next open() tries again.
    void failed(const QString& description);
};

} // namespace vkm

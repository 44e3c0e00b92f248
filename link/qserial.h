#pragma once
// The serial port over QSerialPort.

#include "link/serial.h"

#include <QSerialPort>

namespace vkm {

class IniFile;

class QtSerialLink : public SerialLink {
    Q_OBJECT
public:
    // `ini` names the devices of port numbers 1..9 (section "Ports"); it may
    // be null, and is not owned.
    explicit QtSerialLink(const IniFile* ini = nullptr, QObject* parent = nullptr);
    ~QtSerialLink() override;

    // The device of a port number: "COMn" on Windows; elsewhere key "COMn" of
    // section "Ports", by default /dev/ttyS(n-1).
    static QString defaultDevice(int comNumber);
    // Writes every key of section "Ports" with its current value, so that
    // users find where to name another device.
    static void storePorts(IniFile& ini);

    // A device used instead of the port number's (vkmtool --port); empty
    // goes back to the port number.
    void setDevice(const QString& device) { device_ = device; }
    QString device() const { return device_.isEmpty() ? deviceFor(com_) : device_; }

    void setComNumber(int n) override { com_ = n; }
    void setBaud(int baud) override { baud_ = baud; }
    int comNumber() const override { return com_; }
    int baud() const override { return baud_; }
    QString deviceFor(int comNumber) const override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    QString errorString() const override { return error_; }

    int outputPending() const override;
    void flushInput() override;
    void flushOutput() override;
    bool byteReady() override;
    uint8_t getByte() override;
    bool putBlock(const uint8_t* data, int n) override;
    void waitForByte(int ms) override;

private:
    void onError(QSerialPort::SerialPortError e);
    void closeAfterFailure();

    const IniFile* ini_;
    QSerialPort port_;
    QString device_;
    QString error_;
    int com_ = 1;
    int baud_ = 9600;
    bool failed_ = false; // a device failure was reported; closing is queued
};

} // namespace vkm

#pragma once
// The information log: the protocol lines of every exchange, shown by the
// service terminal under "Информация". It lives as long as the process.

#include <QObject>
#include <QStringList>

namespace vkm {

class InfoLog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    static constexpr int kMaxLines = 100;

    // Adds a line; a log that then holds more than 100 lines is emptied.
    void add(const QString& line)
    {
        lines_.append(line);
        if (lines_.size() > kMaxLines)
            lines_.clear();
        emit changed();
    }
    void clear() { lines_.clear(); emit changed(); }
    const QStringList& lines() const { return lines_; }

signals:
    void changed();

private:
    QStringList lines_;
};

} // namespace vkm

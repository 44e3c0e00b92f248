#pragma once
// What the editor suites share: a context whose on-line write records the
// ranges it is given, scripted boxes, a way to answer a nested modal dialog,
// and running a suite under a point locale and a comma locale.

#include "app/ui/context.h"
#include "link/infolog.h"
#include "link/online.h"
#include "link/protocol.h"
#include "link/qserial.h"
#include "scriptedprompter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QPair>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vkm {

struct EditorFixture {
    // The editors never use the protocol (they write through writeOnLine):
    // its port is never opened.
    QtSerialLink port;
    InfoLog log;
    Protocol protocol{port, log};
    ScriptedPrompter prompts;
    QList<QPair<int, int>> writes;
    int writeResult = 0;
    AppContext ctx{protocol, prompts, [this](int from, int to) {
                       writes.append({from, to});
                       return writeResult;
                   }};

    static void setOnline(bool on)
    {
        OnlineMode = on;
        ApplyCaption = on ? applyCaptionOnline() : applyCaptionOffline();
    }
};

// Runs `act` on the next modal dialog that opens (the digital inputs dialog,
// the calendar), once it is shown.
inline void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        act(w);
    });
}

// Types the characters into the focused editor as key presses (QTest's
// keyClicks only knows Latin-1).
inline void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 0x80 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

template <class T> T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// main() of a suite: every test runs under "en_US" and again under "ru_RU".
template <class Suite> int runInTwoLocales(int argc, char** argv)
{
    QApplication app(argc, argv);
    int rc = 0;
    for (const char* name : {"en_US", "ru_RU"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        qInfo("locale %s", name);
        Suite suite;
        rc |= QTest::qExec(&suite, argc, argv);
    }
    return rc;
}

} // namespace vkm

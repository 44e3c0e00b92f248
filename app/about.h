#pragma once
// The about box: product name, version label and comment, one "OK".

#include <QDialog>

class QLabel;

namespace vkm {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // The version label; the caption and the status bar take the version
    // from its text.
    QLabel* Version;
};

} // namespace vkm

#pragma once
// The application object with the general error box: an exception that
// escapes an event handler is shown with its description and the event loop
// goes on.

#include <QApplication>

namespace vkm {

class Prompter;

class VkmApplication : public QApplication {
public:
    VkmApplication(int& argc, char** argv);
    void setPrompter(Prompter* p) { prompts_ = p; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Prompter* prompts_ = nullptr;
};

} // namespace vkm

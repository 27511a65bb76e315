// The help window: the help pages built into the program, shown offline.
#pragma once

#include <QWidget>

#include <string>

class QTextBrowser;

namespace quenvel {

class THelpWindow : public QWidget
{
public:
    explicit THelpWindow(QWidget *parent);
    // Shows a topic: "Topic1" (the contents) or "page.html#anchor".
    void ShowTopic(const std::string &topic);
    QTextBrowser *Browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};

} // namespace quenvel

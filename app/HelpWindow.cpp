#include "HelpWindow.h"

#include "opl/HelpIndex.h"

#include <QPushButton>
#include <QTextDocument>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace quenvel {

namespace {

// The look of every help page, kept here once rather than in each page.
const char *const kHelpStyle = "body { font-family: sans-serif; }\n"
                               "h1 { color: #000080; }\n"
                               "h2 { color: #000080; border-bottom: 1px solid #c0c0c0; }\n"
                               "h3 { margin-bottom: 2px; }\n"
                               "pre { background-color: #f0f0f0; margin-top: 2px; margin-bottom: 2px; }\n"
                               "p.machines { color: #008080; margin-top: 2px; }\n";

// A browser whose pages come from the files built into the program.
class THelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (const auto file = HelpFile(name.fileName().toStdString()))
            return QByteArray(file->data(), static_cast<qsizetype>(file->size()));
        return QTextBrowser::loadResource(type, name);
    }
};

} // namespace

THelpWindow::THelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Quenvel Help"));
    resize(560, 520);
    auto *layout = new QVBoxLayout(this);
    auto *buttons = new QHBoxLayout;
    auto *contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto *back = new QPushButton(QStringLiteral("&Back"), this);
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    browser_ = new THelpBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDefaultStyleSheet(QString::fromLatin1(kHelpStyle));
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(std::string(kHelpContentsTopic)); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
}

void THelpWindow::ShowTopic(const std::string &topic)
{
    std::string target = topic;
    if (const auto page = HelpPageForTopic(topic))
        target = *page;
    const auto hash = target.find('#');
    const QString page = QString::fromStdString(target.substr(0, hash));
    QUrl url(page);
    if (hash != std::string::npos)
        url.setFragment(QString::fromStdString(target.substr(hash + 1)));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

} // namespace quenvel

// The main window: the editor pane with its title strip.
#include "app/cli/Document.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "platform/CodeMemoView.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QVBoxLayout>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

using namespace quenvel;

namespace {

bool DisplayAvailable()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char *x = std::getenv("DISPLAY");
    const char *w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

const char *kCaption = "Quenvel 1.21 (16/03/1998)";

class TFrmMain : public QMainWindow
{
public:
    TFrmMain()
    {
        auto *pane = new QWidget(this);
        auto *layout = new QVBoxLayout(pane);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        PanelTitleEdit = new QLabel(pane);
        PanelTitleEdit->setFixedHeight(16);
        PanelTitleEdit->setAutoFillBackground(true);
        SetActivePane(1);
        CodeMemo1 = new TCodeMemoView(pane);
        layout->addWidget(PanelTitleEdit);
        layout->addWidget(CodeMemo1, 1);
        setCentralWidget(pane);
        ConfigureEditor();
        resize(608, 459);
        SetFileName("");
    }

    void SetFileName(const std::string &name)
    {
        FileName = name;
        setWindowTitle(kCaption);
        QApplication::setApplicationDisplayName(QString());
        std::string shown = name.empty() ? std::string("Untitled.opl ") : name.substr(name.find_last_of('/') + 1);
        PanelTitleEdit->setText(QString::fromLatin1("Edit: ( ") + QString::fromLocal8Bit(shown.c_str()) + " )");
    }

    void LoadFile(const std::string &path)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            TCodeMemo &m = CodeMemo1->Memo();
            LoadDocument(m, path);
            SetFileName(path);
        } catch (const std::exception &e) {
            QApplication::restoreOverrideCursor();
            QMessageBox::critical(this, kCaption, QString::fromLocal8Bit(e.what()));
            return;
        }
        QApplication::restoreOverrideCursor();
    }

    TCodeMemoView *CodeMemo1 = nullptr;

private:
    void SetActivePane(int pane)
    {
        QPalette pal = PanelTitleEdit->palette();
        pal.setColor(QPalette::Window, pane == 1 ? QColor(0, 0, 128) : QColor(192, 192, 192));
        pal.setColor(QPalette::WindowText, pane == 1 ? Qt::white : Qt::black);
        PanelTitleEdit->setPalette(pal);
        QFont f = PanelTitleEdit->font();
        f.setBold(pane == 1);
        PanelTitleEdit->setFont(f);
    }

    void ConfigureEditor()
    {
        TCodeMemo &m = CodeMemo1->Memo();
        ConfigureEditorLikeMainWindow(m);
        m.OnParse = [](TCodeMemo *, int32_t, int32_t) {};
        CodeMemo1->UpdateScrollBarPolicy();
        RegisterOplSpans(m);
        ApplyOplDialect(m, odSiena, table_);
    }

    QLabel *PanelTitleEdit = nullptr;
    std::string FileName;
    std::unique_ptr<TKeywordList> table_;
};

} // namespace

int RunWindow(int argc, char **argv, const std::vector<std::string> &args)
{
    if (!DisplayAvailable()) {
        std::cerr << "quenvel: no display available (set DISPLAY, or use --convert, --highlight or --check)\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quenvel");
    TFrmMain w;
    if (!args.empty()) {
        w.LoadFile(args[0]);
        w.CodeMemo1->Memo().SetModified(false);
    }
    w.show();
    w.CodeMemo1->setFocus();
    return app.exec();
}

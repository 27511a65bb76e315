// The "Program" menu and what goes with it: the program checked as the translator reads it
// ("Check Program" lists the errors in a pane below the editor; after a pause in typing the
// text is checked again in the background and each error gets a red wavy line), the count
// of errors in the status bar, going to a name's definition and back, and a constant's value
// on the hint line.
#pragma once

#include "opl/OplSyntax.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QAction;
class QDockWidget;

namespace quenvel {

class TErrorPane;
class TFrmMain;

class TProgramCheck : public QObject
{
public:
    explicit TProgramCheck(TFrmMain &window);
    ~TProgramCheck() override;

    // "Check Program": checks now and shows the pane.
    void CheckProgram();
    // F12 (and Ctrl+click): the definition of the name at the caret; false when none.
    bool GoToDefinition();
    // Alt+Left: back to where the last jump started.
    void GoBack();
    // Checks again after a pause (the text changed).
    void Changed();

    // The last result and whether a check is under way or waiting.
    const TOplCheckResult &Result() const { return result_; }
    bool Pending() const { return timer_.isActive() || running_; }
    TErrorPane *Pane() const { return pane_; }
    QDockWidget *Dock() const { return dock_; }
    // How long the checker waits after the last change, in milliseconds.
    static constexpr int kPauseMs = 300;

private:
    TOplCheckOptions Options() const;
    void Start();
    void Finished(TOplCheckResult r, uint64_t generation);
    void Show();
    void Jump(int32_t line, int32_t col);
    void ShowConstant();

    TFrmMain &w_;
    TErrorPane *pane_ = nullptr;
    QDockWidget *dock_ = nullptr;
    std::vector<QAction *> actions_;
    QTimer timer_;
    TOplCheckResult result_;
    std::thread worker_;
    bool running_ = false;
    bool again_ = false;
    uint64_t generation_ = 0;
    std::vector<int32_t> back_; // caret positions to go back to
};

} // namespace quenvel

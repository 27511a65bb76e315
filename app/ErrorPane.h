// The pane below the editor that lists the errors of the last check of the program: line,
// column and message; a double click puts a bare caret on the place.
#pragma once

#include "opl/OplSyntax.h"

#include <QTreeWidget>

#include <functional>

namespace quenvel {

class TErrorPane : public QTreeWidget
{
public:
    explicit TErrorPane(QWidget *parent);
    void Show(const std::vector<TOplDiagnostic> &diagnostics);
    // Called with the 1-based line and column of a row double-clicked.
    std::function<void(int line, int col)> OnGo;
};

} // namespace quenvel

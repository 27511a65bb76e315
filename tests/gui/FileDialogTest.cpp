// The file dialogs' types: "OPL sources" first, names in any case and without an extension.
#include "GuiTestUtil.h"

#include "app/QtDocumentUi.h"

#include <QAbstractProxyModel>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

TEST(FileDialogs, TypesMatchAnyCaseAndNamesWithoutExtension)
{
    TTempDir t;
    for (const char *name : {"a.opl", "B.OPL", "c.Tpl", "d.oph", "E.TPH", "NOEXT", "f.txt", "g.rtf", "h.opl.bak"})
        WriteFile(t / name, "x");
    const std::string all = "B.OPL E.TPH NOEXT a.opl c.Tpl d.oph f.txt g.rtf h.opl.bak";
    const std::string sources = "B.OPL E.TPH NOEXT a.opl c.Tpl d.oph";
    const std::pair<bool, std::vector<std::string>> cases[] = {
        {false, {sources, "B.OPL a.opl", all}},
        {true, {sources, "B.OPL a.opl", "g.rtf", all}},
    };
    for (const auto &[save, shown] : cases) {
        QFileDialog dlg;
        UseFileFilters(dlg, save);
        dlg.setDirectory(QString::fromStdString(t.path));
        dlg.show();
        ASSERT_EQ(dlg.nameFilters().size(), static_cast<qsizetype>(shown.size()));
        EXPECT_TRUE(dlg.nameFilters()[0].startsWith(QStringLiteral("OPL sources")));
        QAbstractProxyModel *proxy = dlg.proxyModel();
        auto *fs = qobject_cast<QFileSystemModel *>(proxy->sourceModel());
        const QModelIndex dir = fs->index(QString::fromStdString(t.path));
        QTest::qWaitFor([&] { return fs->rowCount(dir) >= 9; }, 5000);
        QComboBox *types = dlg.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (size_t k = 0; k < shown.size(); ++k) {
            if (k > 0)
                QTest::keyClick(types, Qt::Key_Down); // chosen as a person chooses it
            const QModelIndex root = proxy->mapFromSource(dir);
            QStringList names;
            for (int r = 0; r < proxy->rowCount(root); ++r)
                names << proxy->index(r, 0, root).data().toString();
            names.sort();
            EXPECT_EQ(names.join(QLatin1Char(' ')).toStdString(), shown[k]) << "save " << save << ", type " << k;
        }
    }
}

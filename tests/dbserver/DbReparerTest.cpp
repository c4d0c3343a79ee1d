// The repair window "Reparar DB": its stored layout, and checking and repairing
// the tables of a schema on the real server, one of them damaged on purpose.
#include "DbServerTest.h"

#include "controls/VarnButton.h"
#include "controls/VarnFrame.h"
#include "db/dbReparerUNIT.h"
#include "platform/ListBox.h"
#include "platform/StdCtrls.h"
#include "support/UiHarness.h"

#include <filesystem>
#include <string>
#include <vector>

using varn::test::UiHarness;
using Lines = std::vector<std::string>;

namespace {

Lines listLines(TdbReparerFORM* form)
{
    Lines lines;
    for (int i = 0; i < form->theList->Items()->Count(); ++i)
        lines.push_back(form->theList->Items()->Strings(i));
    return lines;
}

}  // namespace

TEST(DbReparer, WindowOpensCentredWithButtonLabelAndListAndKeepsThemOnResize)
{
    UiHarness ui;
    sDB_defaultConnection = nullptr;
    auto* form = new TdbReparerFORM(Application);
    ui.show(form);

    EXPECT_EQ(form->Caption(), "Reparar DB");
    EXPECT_EQ(form->ClientWidth(), 151);
    EXPECT_EQ(form->ClientHeight(), 273);
    EXPECT_EQ(form->Left(), (Screen->Width() - form->Width()) / 2);
    EXPECT_EQ(form->Top(), (Screen->Height() - form->Height()) / 2);
    EXPECT_EQ(form->Panel1->BoundsRect(), TRect(0, 0, 151, 49));
    EXPECT_EQ(form->btStart->BoundsRect(), TRect(3, 3, 148, 25));
    // The label keeps the height of its font's line, at the bottom of the panel's inside.
    EXPECT_EQ(form->theLabel->BoundsRect(), TRect(3, 46 - form->theLabel->Height(), 148, 46));
    EXPECT_EQ(form->theList->BoundsRect(), TRect(0, 49, 151, 273));
    EXPECT_EQ(form->btStart->Text(), "Empezar");
    EXPECT_EQ(form->btStart->Cursor(), crHandPoint);
    EXPECT_EQ(form->btStart->ColorFrameInactive(), TColor(0xFFB7B7));
    // Without a connection the window says so and the button rests.
    EXPECT_EQ(form->theLabel->Caption(), "Sin conexi\xF3n");
    EXPECT_FALSE(form->btStart->Enabled());

    form->SetClientWidth(300);
    form->SetClientHeight(400);
    ui.pump();
    EXPECT_EQ(form->Panel1->BoundsRect(), TRect(0, 0, 300, 49));
    EXPECT_EQ(form->btStart->BoundsRect(), TRect(3, 3, 297, 25));
    EXPECT_EQ(form->theLabel->BoundsRect(), TRect(3, 46 - form->theLabel->Height(), 297, 46));
    EXPECT_EQ(form->theList->BoundsRect(), TRect(0, 49, 300, 400));
    delete form;
}

TEST(DbReparer, IdentifiersAreQuotedWithDoubledBackquotes)
{
    EXPECT_EQ(sDB_quoteIdentifier("clientes"), "`clientes`");
    EXPECT_EQ(sDB_quoteIdentifier("a`b"), "`a``b`");
    EXPECT_EQ(sDB_quoteIdentifier("x`; DROP TABLE y; --"), "`x``; DROP TABLE y; --`");
}

using Reparer = DbServerTest;

TEST_F(Reparer, StartChecksEveryTableRepairsTheDamagedOneAndReportsTheBrokenView)
{
    admin("CREATE TABLE clientes (code VARCHAR(10) PRIMARY KEY, nombre VARCHAR(40)) ENGINE=InnoDB");
    admin("INSERT INTO clientes VALUES ('1', 'Ana'), ('2', 'Luis')");
    admin("CREATE TABLE `rara``tabla con espacio` (n INT) ENGINE=MyISAM");
    admin("INSERT INTO `rara``tabla con espacio` VALUES (1), (2), (3)");
    admin("CREATE TABLE danada (n INT PRIMARY KEY, texto VARCHAR(30)) ENGINE=MyISAM");
    std::string rows;
    for (int i = 0; i < 200; ++i)
        rows += std::string(i ? "," : "") + "(" + std::to_string(i) + ", 'fila " + std::to_string(i) + "')";
    admin("INSERT INTO danada VALUES " + rows);
    admin("CREATE TABLE base (n INT)");
    admin("CREATE VIEW vista_rota AS SELECT n FROM base");
    admin("DROP TABLE base");

    // Damage the MyISAM table: its data file loses its last bytes while the
    // server has it closed.
    admin("FLUSH TABLES");
    const std::filesystem::path dataFile =
        std::filesystem::path(adminColumn("SELECT @@datadir").at(0)) / database / "danada.MYD";
    ASSERT_TRUE(std::filesystem::exists(dataFile)) << dataFile;
    std::filesystem::resize_file(dataFile, std::filesystem::file_size(dataFile) - 50);

    UiHarness ui;
    auto* form = new TdbReparerFORM(Application);
    form->connection = &connection;
    ui.show(form);
    EXPECT_EQ(listLines(form), (Lines{"clientes", "danada", "rara`tabla con espacio", "vista_rota"}));
    EXPECT_EQ(form->theLabel->Caption(), "4 tablas en " + database);
    EXPECT_TRUE(form->btStart->Enabled());
    takeSentStatements();

    ui.click(form->btStart, 20, 10);
    const Lines lines = listLines(form);
    ASSERT_EQ(lines.size(), 6u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], "clientes: OK");
    EXPECT_EQ(lines[1], "danada: reparada");
    EXPECT_EQ(lines[2].rfind("  Size of datafile is: ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[2].find("  ", 2), std::string::npos) << lines[2];  // the server's padding runs together
    EXPECT_EQ(lines[3], "rara`tabla con espacio: OK");
    EXPECT_EQ(lines[4], "vista_rota: error");
    EXPECT_NE(lines[5].find(".base' doesn't exist"), std::string::npos) << lines[5];
    EXPECT_EQ(form->theLabel->Caption(), "2 OK, 1 rep., 1 error");
    EXPECT_TRUE(form->btStart->Enabled());
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
    form->FormActivate(form);  // coming back to the window keeps the results
    EXPECT_EQ(listLines(form), lines);

    // Only the server's own check and repair ran, on properly quoted names.
    const std::string db = "`" + database + "`";
    EXPECT_EQ(takeSentStatements(),
              (Lines{"SELECT DATABASE()", "SHOW FULL TABLES FROM " + db, "CHECK TABLE " + db + ".`clientes`",
                     "CHECK TABLE " + db + ".`danada`", "REPAIR TABLE " + db + ".`danada`",
                     "CHECK TABLE " + db + ".`rara``tabla con espacio`", "CHECK TABLE " + db + ".`vista_rota`"}));
    // The repaired table answers again; the others kept their rows.
    EXPECT_EQ(adminColumn("CHECK TABLE danada").size(), 1u);
    EXPECT_EQ(adminColumn("SELECT COUNT(*) FROM clientes"), Lines{"2"});
    EXPECT_EQ(adminColumn("SELECT COUNT(*) FROM `rara``tabla con espacio`"), Lines{"3"});
    EXPECT_FALSE(adminColumn("SELECT COUNT(*) FROM danada").empty());

    // A second run finds everything but the view in order.
    ui.advance(1000);  // not a double click
    ui.click(form->btStart, 20, 10);
    EXPECT_EQ(form->theLabel->Caption(), "3 OK, 0 rep., 1 error") << ::testing::PrintToString(listLines(form));
    delete form;
}

// TVGEdit: the edit box that the grid lays over one cell of its current row.
//
// Edit cycle:
//   BeginEditAt(col)        -> GotoNextCell (first editable cell at or after col) -> ShowEditor
//   Enter, Tab, arrows      -> processEndEdit(true) -> CommitCell -> Goto* -> ShowEditor
//   focus leaves the editor -> CommitCell -> HideEditor -> row exit and enter events
//   Escape, all selected    -> HideEditor -> row exit and enter events (nothing committed)
// Every change the edit box announces (doChange) is written into the cell at once.
#pragma once

#include "edit/VarnEditInterior.h"
#include "grid/VGColumn.h"
#include "grid/VarnRow.h"
#include "platform/win/Messages.h"

class TVarnGrid;
class TVGScrollBox;

class TVGEdit : public TVarnEdit {
public:
    explicit TVGEdit(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGEdit"; }

    // Opens the editor over the first editable cell of the current row at or
    // after col (looking into the following rows if needed). Nothing happens
    // without a current row, on a unicolumn row, or when no such cell exists.
    void BeginEditAt(int col);

    // Moves the edited cell; each answers whether a cell was found (otherwise
    // nothing moves). Only GotoNextCell adds a row, with AutoAddRow.
    bool GotoNextCell();
    bool GotoPrevCell();
    bool GotoNextRow();
    bool GotoPrevRow();

    // Loads the current cell into the editor, lays it over the cell and focuses it.
    void ShowEditor();
    // Writes the editor's value into the current cell; false when it did not
    // convert (the message was shown and the editor holds the stored text again).
    bool CommitCell();
    // Hides the editor and hands the focus back to the grid.
    void HideEditor();

    // Keeps the shown editor over its cell after the body scrolled; a cell
    // scrolled out of the body takes the editor out of sight with it.
    void FollowCell();

    // Application message handler: Tab for the editor becomes Enter.
    void TabToEnter(tagMSG& Msg, bool& Handled);

    // Where the editor sits, in grid coordinates: the cell one pixel larger on
    // the top, right and bottom.
    TRect GetEditRect() const { return editRect; }
    VGDataType GetEditType() const { return editType; }

    void doChange() override;

protected:
    void WndProc(TMessage& Message) override;
    void CreateWnd() override;

private:
    void killFocus(TMessage& Message);
    void keyDown(TMessage& Message);
    // Hidden, the grid focused, OnRowExit(row, modified) then OnRowEnter(row).
    void leaveEdit();
    bool isEditableCell(int row, int col) const;
    bool gotoRowInColumn(int step);
    void needData(int row);
    void loadValue(TVGColumn* column, const AnsiString& stored);
    TRect cellRectInGrid() const;

    TVarnGrid* grid;      // owner and parent
    TVGScrollBox* body;   // the grid's body, whose cell rectangles the editor follows
    TVarnRow editRow;     // writes the committed value
    TRect editRect;       // grid coordinates; empty until first shown
    VGDataType editType = vgString;  // data type of the column being edited
    bool committing = false;         // CommitCell runs: messages go straight to the edit box
};

// The skinned single-line edit: it draws its frame, text, selection and caret itself,
// keeps its text wide (GBK only where the framework asks for its text), masks with a
// character or drawn shapes, and records every user edit in an undo history.
#pragma once

#include "framework/list.h"
#include "framework/ui/stdctrls.h"
#include "skin/controls/te_controls.h"

#include <string>

namespace dvr::skin {

class TTeEdit;
class TTeItem;

// A list of pointers with an order of taking out.
class TOrderedList : public fw::TObject {
    FW_CLASS(TOrderedList, fw::TObject)
public:
    ~TOrderedList() override = default;
    int Count() const { return list_.Count(); }
    bool AtLeast(int ACount) const { return list_.Count() >= ACount; }
    virtual void PushItem(void* Item) = 0;
    virtual void* PopItem() = 0;
    virtual void* PeekItem() = 0;

protected:
    fw::TList list_;
};

// Last in, first out.
class TStack : public TOrderedList {
    FW_CLASS(TStack, TOrderedList)
public:
    void PushItem(void* Item) override { list_.Add(Item); }
    void* PopItem() override;
    void* PeekItem() override { return list_.Count() ? list_.Last() : nullptr; }
};

// One step of an edit's undo history.
struct EditAction {
    uint8_t Kind = 0; // 0 a deletion, 1 an insertion
    bool Chained = false;
    int32_t Position = 0; // 1-based
    std::wstring Text;    // deletions
    int32_t Count = 0;    // insertions
};
constexpr uint8_t kEditActionDeletion = 0;
constexpr uint8_t kEditActionInsertion = 1;

// The undo history of one edit: typing and deleting runs merge into single steps, and a
// replaced selection undoes in one step.
class TEditActionStack : public TStack {
    FW_CLASS(TEditActionStack, TStack)
public:
    explicit TEditActionStack(TTeEdit* Edit) : edit_(Edit) {}
    ~TEditActionStack() override;
    void PushDeletion(int Position, const std::wstring& Text);
    void PushInsertion(int Position, int Count, bool Chained);
    bool Undo();
    const EditAction* Top() { return static_cast<EditAction*>(PeekItem()); }

private:
    TTeEdit* edit_;
};

enum class TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
enum class TPasswordKind : uint8_t { pkNone, pkChar, pkRect, pkRoundRect, pkCircle, pkTriangle };
using fw::TAlignment;

class TTeEdit : public TTeControl {
    FW_CLASS(TTeEdit, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SETFOCUS, WMSetFocus)
    FW_MESSAGE(WM_KILLFOCUS, WMKillFocus)
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGE(WM_CONTEXTMENU, WMContextMenu)
    FW_MESSAGE(WM_IME_STARTCOMPOSITION, WMImeStartComposition)
    FW_MESSAGE(WM_IME_COMPOSITION, WMImeComposition)
    FW_MESSAGE(WM_IME_CHAR, WMImeChar)
    FW_MESSAGE(WM_CHAR, WMChar)
    FW_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
    FW_MESSAGE(WM_CUT, WMCut)
    FW_MESSAGE(WM_COPY, WMCopy)
    FW_MESSAGE(WM_PASTE, WMPaste)
    FW_MESSAGE(WM_UNDO, WMUndo)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_FONTCHANGED, CMFontChanged)
    FW_MESSAGE(fw::CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeEdit(fw::TComponent* AOwner);
    ~TTeEdit() override;

    // The content, wide. GetText and SetText(std::string) give and take it as GBK.
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& Value);
    std::string GetText() const override;
    void SetText(const std::string& Value) override;

    int CaretPos() const { return caret_pos_; }
    int SelPos() const { return sel_pos_; }
    int SelDelta() const { return sel_delta_; }
    int FirstVisible() const { return first_visible_; }
    int GetSelStart() const;
    int GetSelLength() const { return sel_delta_ < 0 ? -sel_delta_ : sel_delta_; }
    std::wstring SelectedText() const;
    void SetSelStart(int P);
    void SetSelLength(int N);

    bool AutoSelect() const { return auto_select_; }
    void SetAutoSelect(bool Value) { auto_select_ = Value; }
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool Value);
    TEditCharCase CharCase() const { return char_case_; }
    void SetCharCase(TEditCharCase Value);
    bool HideSelection() const { return hide_selection_; }
    void SetHideSelection(bool Value);
    int MaxLength() const { return max_length_; }
    void SetMaxLength(int Value) { max_length_ = Value; }
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool Value) { read_only_ = Value; }
    wchar_t PasswordWideChar() const { return password_char_; }
    void SetPasswordWideChar(wchar_t Value);
    TPasswordKind PasswordKind() const { return password_kind_; }
    void SetPasswordKind(TPasswordKind Value);
    TAlignment TextAlignment() const { return alignment_; }
    void SetTextAlignment(TAlignment Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);
    void SetCursor(fw::TCursor Value);
    void SetFont(const fw::TFont* Value);
    TEditActionStack* UndoStack() const { return undo_stack_; }
    // The context menu's root item; its sub-items are the menu's entries. nullptr until
    // first needed.
    TTeItem* ContextMenu() const { return context_menu_; }
    bool MouseSelecting() const { return mouse_selecting_; }

    fw::TNotifyEvent OnChange;

    // Editing, as the user does it (recorded for undo).
    void ReplaceSelection(const std::wstring& S);
    void InsertChar(wchar_t Ch);
    void DeleteSelection();
    void CutSelection();
    void CopySelection();
    void PasteText();
    void SelectAllText();
    void SelectWord();
    bool Undo();
    // Editing by the undo history (not recorded).
    void InsertText(int Pos, const std::wstring& S, bool Select);
    void DeleteText(int Pos, int Count, bool Select);

    void MoveCaret(int P);
    void RefreshCaret() { MoveCaret(caret_pos_); }
    int PosToX(int Pos);
    int XToPos(int X);
    int WordLeft(int P) const;
    int WordRight(int P) const;

    virtual TRect GetTextRect();
    virtual int GetPasswordCharWidth();
    virtual TRect GetSelectionRect();
    virtual bool AcceptText(const std::wstring& /*Value*/) { return true; }
    virtual void UpdateContextMenu();

    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void AdjustSize();
    void PaintBackground() override;
    void Loaded() override;

    // Builds the context menu when needed, updates it and returns its root.
    TTeItem* PrepareContextMenu();

protected:
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void BorderChanged() override;

    virtual void Change();
    virtual void PaintEditText();
    virtual void PaintTextBackground(TRect R);
    virtual void PaintSelectedText();
    virtual void PaintPasswordChar(TRect Cell, bool Selected);
    virtual TTeItem* CreateContextMenu();
    virtual TTeItem* CreateMenuItem();
    virtual void ShowTextCaret();
    virtual void HideTextCaret();
    // Shows the context menu at a screen point (the items open through their own
    // popup window).
    virtual void PopupContextMenu(TPoint ScreenPoint);

    void CreateTextCaret();
    void ScrollToCaret();
    void BuildContextMenu();
    // The font text is drawn with in the current state (a theme font, or PaintFont).
    fw::TFont* StateFont();
    fw::TFont* SelectionFont();
    bool Themed();
    bool Masked() const { return password_kind_ != TPasswordKind::pkNone; }
    int TextWidthOf(const std::wstring& S, fw::TFont* Font);
    int TextHeightOf(fw::TFont* Font);
    int AlignOffset(int TextWidth, const TRect& R) const;

    void WMSetFocus(fw::TMessage& M);
    void WMKillFocus(fw::TMessage& M);
    void WMGetDlgCode(fw::TMessage& M);
    void WMContextMenu(fw::TMessage& M);
    void WMImeStartComposition(fw::TMessage& M);
    void WMImeComposition(fw::TMessage& M);
    void WMImeChar(fw::TMessage& M);
    void WMChar(fw::TMessage& M);
    void WMLButtonDblClk(fw::TMessage& M);
    void WMCut(fw::TMessage& M);
    void WMCopy(fw::TMessage& M);
    void WMPaste(fw::TMessage& M);
    void WMUndo(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMFontChanged(fw::TMessage& M);
    void CMTextChanged(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

    // Context menu handlers.
    void MenuUndo(fw::TObject* Sender);
    void MenuCut(fw::TObject* Sender);
    void MenuCopy(fw::TObject* Sender);
    void MenuPaste(fw::TObject* Sender);
    void MenuDelete(fw::TObject* Sender);
    void MenuSelectAll(fw::TObject* Sender);

private:
    std::wstring text_;
    bool mouse_selecting_ = false;
    int caret_pos_ = 0;
    int sel_pos_ = 0;
    int sel_delta_ = 0;
    int first_visible_ = 1;
    TTeItem* context_menu_ = nullptr;
    bool auto_select_ = true;
    bool auto_size_ = true;
    TEditCharCase char_case_ = TEditCharCase::ecNormal;
    bool hide_selection_ = true;
    int max_length_ = 0;
    bool read_only_ = false;
    wchar_t password_char_ = 0;
    TPasswordKind password_kind_ = TPasswordKind::pkNone;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TEditActionStack* undo_stack_ = nullptr;
    std::string theme_object_ = "default";
    fw::TFont state_font_;
    wchar_t pending_high_ = 0; // first half of a surrogate pair typed as two WM_CHARs
    bool caret_made_ = false;
};

} // namespace dvr::skin

// Common controls: track bar, progress bar, up-down, status bar, page control with tab
// sheets, date-time picker, list view and tree view. The framework keeps each control's
// content (items, nodes, panels, positions) and mirrors it into the window, so a
// re-created window gets it all back.
#pragma once

#include "framework/stringlist.h"
#include "framework/ui/controls.h"
#include "framework/ui/imglist.h"
#include "framework/ui/stdctrls.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace dvr::fw {

// Loads the common control classes once.
void InitCommonControls(DWORD Classes);

enum class TTrackBarOrientation : uint8_t { trHorizontal, trVertical };
enum class TTickStyle : uint8_t { tsNone, tsAuto, tsManual };
enum class TTickMark : uint8_t { tmBottomRight, tmTopLeft, tmBoth };

class TTrackBar : public TWinControl {
    FW_PUBLISHED(TTrackBar, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_HSCROLL, CNScroll)
    FW_MESSAGE(CN_BASE + WM_VSCROLL, CNScroll)
    FW_MESSAGES_END
public:
    explicit TTrackBar(TComponent* AOwner);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const;
    void SetMin(int Value);
    void SetMax(int Value);
    void SetPosition(int Value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int Value);
    int LineSize() const { return line_size_; }
    void SetLineSize(int Value);
    int PageSize() const { return page_size_; }
    void SetPageSize(int Value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation Value);
    TTickStyle TickStyle() const { return tick_style_; }
    void SetTickStyle(TTickStyle Value);
    TTickMark TickMarks() const { return tick_marks_; }
    void SetTickMarks(TTickMark Value);
    int SelStart() const { return sel_start_; }
    int SelEnd() const { return sel_end_; }
    void SetSelStart(int Value);
    void SetSelEnd(int Value);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void CNScroll(TMessage& M);
    virtual void Changed();

private:
    void Apply();
    int min_ = 0, max_ = 10;
    mutable int position_ = 0;
    int frequency_ = 1, line_size_ = 1, page_size_ = 2;
    TTrackBarOrientation orientation_ = TTrackBarOrientation::trHorizontal;
    TTickStyle tick_style_ = TTickStyle::tsAuto;
    TTickMark tick_marks_ = TTickMark::tmBottomRight;
    int sel_start_ = 0, sel_end_ = 0;
};

enum class TProgressBarOrientation : uint8_t { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
    FW_PUBLISHED(TProgressBar, TWinControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int Value);
    void SetMax(int Value);
    void SetPosition(int Value);
    int Step() const { return step_; }
    void SetStep(int Value) { step_ = Value; }
    void StepIt() { SetPosition(position_ + step_ > max_ ? min_ : position_ + step_); }
    void StepBy(int Delta) { SetPosition(position_ + Delta); }
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool Value);
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;

private:
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    bool smooth_ = false;
    TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
};

enum class TUDBtnType : uint8_t { btNext, btPrev };
enum class TUDOrientation : uint8_t { udHorizontal, udVertical };
using TUDClickEvent = TMethodPtr<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TMethodPtr<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TWinControl {
    FW_PUBLISHED(TUpDown, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_NOTIFY, CNNotify)
    FW_MESSAGE(CN_BASE + WM_HSCROLL, CNScroll)
    FW_MESSAGE(CN_BASE + WM_VSCROLL, CNScroll)
    FW_MESSAGES_END
public:
    explicit TUpDown(TComponent* AOwner);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const;
    void SetMin(int Value);
    void SetMax(int Value);
    void SetPosition(int Value);
    int Increment() const { return increment_; }
    void SetIncrement(int Value);
    bool Wrap() const { return wrap_; }
    void SetWrap(bool Value);
    bool ArrowKeys() const { return arrow_keys_; }
    void SetArrowKeys(bool Value);
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation Value);
    // The control whose text shows the position (an edit).
    TWinControl* Associate() const { return associate_; }
    void SetAssociate(TWinControl* Value);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CNNotify(TMessage& M);
    void CNScroll(TMessage& M);

private:
    int min_ = 0, max_ = 100, increment_ = 1;
    mutable int position_ = 0;
    bool wrap_ = false, arrow_keys_ = true;
    TUDOrientation orientation_ = TUDOrientation::udVertical;
    TWinControl* associate_ = nullptr;
};

enum class TStatusPanelStyle : uint8_t { psText, psOwnerDraw };

class TStatusBar;

class TStatusPanel : public TObject {
    FW_CLASS(TStatusPanel, TObject)
public:
    explicit TStatusPanel(TStatusBar* Owner) : owner_(Owner) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle Value);
    int Index() const;

private:
    TStatusBar* owner_;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelStyle style_ = TStatusPanelStyle::psText;
};

using TDrawPanelEvent =
    TMethodPtr<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TWinControl {
    FW_PUBLISHED(TStatusBar, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_DRAWITEM, CNDrawItem)
    FW_MESSAGE(WM_SIZE, WMSize)
    FW_MESSAGES_END
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    int PanelCount() const { return int(panels_.size()); }
    TStatusPanel* Panels(int Index) const;
    TStatusPanel* AddPanel();
    void DeletePanel(int Index);
    void ClearPanels();
    bool SimplePanel() const { return simple_panel_; }
    void SetSimplePanel(bool Value);
    const std::string& SimpleText() const { return simple_text_; }
    void SetSimpleText(const std::string& Value);
    bool SizeGrip() const { return size_grip_; }
    void SetSizeGrip(bool Value);
    TCanvas* Canvas() { return canvas_; }
    // Puts the panels into the window.
    void UpdatePanels();

    TDrawPanelEvent OnDrawPanel;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void CNDrawItem(TMessage& M);
    void WMSize(TMessage& M);

private:
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
    bool simple_panel_ = false;
    std::string simple_text_;
    bool size_grip_ = true;
    TControlCanvas* canvas_;
};

class TPageControl;

class TTabSheet : public TWinControl {
    FW_PUBLISHED(TTabSheet, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGES_END
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return page_control_; }
    void SetPageControl(TPageControl* Value);
    // Position among the page control's pages.
    int PageIndex() const;
    void SetPageIndex(int Value);
    bool TabVisible() const { return tab_visible_; }
    void SetTabVisible(bool Value);
    // Index of the sheet's tab among the visible tabs, -1 when hidden.
    int TabIndex() const;
    void SetParent(TWinControl* AParent) override;

protected:
    void CMTextChanged(TMessage& M);

private:
    TPageControl* page_control_ = nullptr;
    bool tab_visible_ = true;
    friend class TPageControl;
};

class TPageControl : public TWinControl {
    FW_PUBLISHED(TPageControl, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_NOTIFY, CNNotify)
    FW_MESSAGES_END
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const { return active_page_; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int Value);
    // The next or previous visible page after Current.
    TTabSheet* FindNextPage(TTabSheet* Current, bool GoForward) const;
    void SelectNextPage(bool GoForward);
    // The area the sheets fill, in client coordinates.
    TRect DisplayRect();
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    TNotifyEvent OnChange;
    TChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CNNotify(TMessage& M);
    virtual bool CanChange();
    virtual void Change();

private:
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void UpdateTabs();
    void ShowActive();
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_page_ = nullptr;
    friend class TTabSheet;
};

// Days since 30 December 1899, the fraction the time of day.
using TDateTime = double;
TDateTime SystemTimeToDateTime(const SYSTEMTIME& T);
SYSTEMTIME DateTimeToSystemTime(TDateTime D);
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour = 0, int Minute = 0,
                         int Second = 0);

enum class TDateTimeKind : uint8_t { dtkDate, dtkTime };
enum class TDTDateFormat : uint8_t { dfShort, dfLong };

class TDateTimePicker : public TWinControl {
    FW_PUBLISHED(TDateTimePicker, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_NOTIFY, CNNotify)
    FW_MESSAGES_END
public:
    explicit TDateTimePicker(TComponent* AOwner);
    TDateTime DateTime() const;
    void SetDateTime(TDateTime Value);
    // The date part and the time part alone.
    TDateTime Date() const;
    void SetDate(TDateTime Value);
    TDateTime Time() const;
    void SetTime(TDateTime Value);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind Value);
    TDTDateFormat DateFormat() const { return date_format_; }
    void SetDateFormat(TDTDateFormat Value);
    // A custom format ("yyyy-MM-dd HH:mm"); empty for the kind's own.
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& Value);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void CNNotify(TMessage& M);

private:
    void ReadWindow() const;
    mutable TDateTime value_;
    TDateTimeKind kind_ = TDateTimeKind::dtkDate;
    TDTDateFormat date_format_ = TDTDateFormat::dfShort;
    std::string format_;
};

// ---- list view ----------------------------------------------------------------------------

class TListView;
class TListItems;

class TListColumn : public TObject {
    FW_CLASS(TListColumn, TObject)
public:
    explicit TListColumn(TListView* Owner) : owner_(Owner) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    int Width() const;
    void SetWidth(int Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    int Index() const;

private:
    TListView* owner_;
    std::string caption_;
    mutable int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    friend class TListView;
};

class TListItem : public TObject {
    FW_CLASS(TListItem, TObject)
public:
    explicit TListItem(TListItems* Owner);
    ~TListItem() override;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    // The texts of the columns after the first.
    TStrings* SubItems() { return &sub_items_; }
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value);
    // The state picture (1-based in the state images; 0: none).
    int StateIndex() const { return state_index_; }
    void SetStateIndex(int Value);
    bool Checked() const;
    void SetChecked(bool Value);
    bool Selected() const;
    void SetSelected(bool Value);
    void* Data = nullptr;
    int Index() const;
    TListView* ListView() const;
    void Delete();
    void Update();

private:
    void SubItemsChanged(TObject*);
    TListItems* owner_;
    std::string caption_;
    TStringList sub_items_;
    int image_index_ = -1;
    int state_index_ = -1;
    mutable bool checked_ = false;
    mutable bool selected_ = false;
    friend class TListView;
    friend class TListItems;
};

class TListItems : public TObject {
    FW_CLASS(TListItems, TObject)
public:
    explicit TListItems(TListView* Owner) : owner_(Owner) {}
    ~TListItems() override;
    int Count() const { return int(items_.size()); }
    TListItem* Item(int Index) const;
    TListItem* Add();
    TListItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int IndexOf(const TListItem* Item) const;
    TListView* Owner() const { return owner_; }
    void BeginUpdate();
    void EndUpdate();

private:
    TListView* owner_;
    std::vector<TListItem*> items_;
    friend class TListItem;
    friend class TListView;
};

enum class TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
using TLVSelectItemEvent = TMethodPtr<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVColumnClickEvent = TMethodPtr<void(TObject* Sender, TListColumn* Column)>;

class TListView : public TWinControl {
    FW_PUBLISHED(TListView, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_NOTIFY, CNNotify)
    FW_MESSAGES_END
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;
    TListItems* Items() { return &items_; }
    int ColumnCount() const { return int(columns_.size()); }
    TListColumn* Columns(int Index) const;
    TListColumn* AddColumn();
    void ClearColumns();
    TViewStyle ViewStyle() const { return view_style_; }
    void SetViewStyle(TViewStyle Value);
    bool RowSelect() const { return row_select_; }
    void SetRowSelect(bool Value);
    bool GridLines() const { return grid_lines_; }
    void SetGridLines(bool Value);
    bool Checkboxes() const { return checkboxes_; }
    void SetCheckboxes(bool Value);
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool Value);
    bool MultiSelect() const { return multi_select_; }
    void SetMultiSelect(bool Value);
    bool HideSelection() const { return hide_selection_; }
    void SetHideSelection(bool Value);
    TImageList* SmallImages() const { return small_images_; }
    void SetSmallImages(TImageList* Value);
    TImageList* LargeImages() const { return large_images_; }
    void SetLargeImages(TImageList* Value);
    TImageList* StateImages() const { return state_images_; }
    void SetStateImages(TImageList* Value);
    // The first selected item, or nullptr; setting selects only that item.
    TListItem* Selected() const;
    void SetSelected(TListItem* Item);
    int ItemIndex() const;
    void SetItemIndex(int Value);
    int SelCount() const;
    TListItem* GetItemAt(int X, int Y) const;

    TLVSelectItemEvent OnSelectItem;
    TNotifyEvent OnChange;
    TLVColumnClickEvent OnColumnClick;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CNNotify(TMessage& M);

private:
    void InsertColumnWindow(int Index);
    void UpdateColumn(int Index);
    void InsertItemWindow(int Index);
    void UpdateItemWindow(int Index);
    void ApplyExtendedStyle();
    void ApplyImages();
    void ApplyCheckImages();
    TListItems items_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
    TViewStyle view_style_ = TViewStyle::vsIcon;
    bool row_select_ = false, grid_lines_ = false, checkboxes_ = false, read_only_ = false;
    bool multi_select_ = false, hide_selection_ = true;
    TImageList* small_images_ = nullptr;
    TImageList* large_images_ = nullptr;
    TImageList* state_images_ = nullptr;
    // The check boxes' own pictures: the common controls' drawn ones come out black here.
    std::unique_ptr<TImageList> check_images_;
    bool filling_ = false; // the window is being filled: no events
    int update_count_ = 0;
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
};

// ---- tree view ----------------------------------------------------------------------------

class TTreeView;
class TTreeNodes;

class TTreeNode : public TObject {
    FW_CLASS(TTreeNode, TObject)
public:
    TTreeNode(TTreeNodes* Owner, TTreeNode* Parent) : owner_(Owner), parent_(Parent) {}
    ~TTreeNode() override;
    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value);
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return selected_index_; }
    void SetSelectedIndex(int Value);
    void* Data = nullptr;
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return int(children_.size()); }
    TTreeNode* Item(int Index) const;
    bool HasChildren() const { return !children_.empty(); }
    // Position among its siblings; depth from the top level (0).
    int Index() const;
    int Level() const;
    bool Expanded() const;
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool Selected() const;
    void SetSelected(bool Value);
    TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    HTREEITEM ItemId() const { return item_; }
    TTreeNodes* Owner() const { return owner_; }
    // Frees the node and everything under it.
    void Delete();

private:
    void Update();
    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::vector<TTreeNode*> children_;
    std::string text_;
    int image_index_ = -1, selected_index_ = -1;
    mutable bool expanded_ = false;
    HTREEITEM item_ = nullptr;
    friend class TTreeNodes;
    friend class TTreeView;
};

class TTreeNodes : public TObject {
    FW_CLASS(TTreeNodes, TObject)
public:
    explicit TTreeNodes(TTreeView* Owner) : owner_(Owner) {}
    ~TTreeNodes() override;
    // All nodes, top to bottom as the tree lists them.
    int Count() const;
    TTreeNode* Item(int Index) const;
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
    // A node after the last sibling of Sibling (top level when nullptr).
    TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
    // A node after the last child of Parent (top level when nullptr).
    TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
    // A node before Sibling.
    TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
    void Delete(TTreeNode* Node);
    void Clear();
    TTreeView* Owner() const { return owner_; }

private:
    TTreeNode* InsertAt(TTreeNode* Parent, int Index, const std::string& S, void* Ptr);
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent);
    TTreeView* owner_;
    std::vector<TTreeNode*> roots_;
    friend class TTreeNode;
    friend class TTreeView;
};

using TTVChangedEvent = TMethodPtr<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = TMethodPtr<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
// S: the caption typed (GBK); the handler may change it. The node takes S afterwards.
using TTVEditedEvent = TMethodPtr<void(TObject* Sender, TTreeNode* Node, std::string& S)>;

class TTreeView : public TWinControl {
    FW_PUBLISHED(TTreeView, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_NOTIFY, CNNotify)
    FW_MESSAGES_END
public:
    explicit TTreeView(TComponent* AOwner);
    ~TTreeView() override;
    TTreeNodes* Items() { return &items_; }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* Node);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value);
    bool ShowLines() const { return show_lines_; }
    void SetShowLines(bool Value);
    bool ShowRoot() const { return show_root_; }
    void SetShowRoot(bool Value);
    bool ShowButtons() const { return show_buttons_; }
    void SetShowButtons(bool Value);
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool Value);
    bool HideSelection() const { return hide_selection_; }
    void SetHideSelection(bool Value);
    void FullExpand();
    void FullCollapse();
    TTreeNode* GetNodeAt(int X, int Y) const;

    TTVChangedEvent OnChange;
    TTVChangingEvent OnChanging;
    TTVChangedEvent OnExpanded;
    TTVChangedEvent OnCollapsed;
    TTVEditedEvent OnEdited;
    // Opens the node's caption for editing in place.
    void EditText(TTreeNode* Node);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CNNotify(TMessage& M);

private:
    void InsertWindowItem(TTreeNode* Node);
    TTreeNode* NodeFromItem(HTREEITEM Item) const;
    TTreeNodes items_;
    mutable TTreeNode* selected_ = nullptr;
    TImageList* images_ = nullptr;
    bool show_lines_ = true, show_root_ = true, show_buttons_ = true;
    bool read_only_ = false, hide_selection_ = true;
    bool filling_ = false;
    friend class TTreeNode;
    friend class TTreeNodes;
};

} // namespace dvr::fw

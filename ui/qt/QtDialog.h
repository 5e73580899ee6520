#pragma once

#include "ui/Dialog.h"
#include "ui/qt/Control.h"

#include <QFont>
#include <QPointer>
#include <QtGlobal>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QEventLoop;
class QTimer;
class QVBoxLayout;
class QWidget;

namespace kelvane::ui {

namespace qtback {
class DialogWindow;
class WindowBars;
}  // namespace qtback

// A dialog on Qt Widgets. A top-level template becomes a fixed-size window with a caption and a close box, made
// smaller with its content scrolling when the screen cannot hold it, and placed where it stood last time (see
// WindowPlaces); a child template becomes a panel inside its parent's window, placed by MoveTo. Geometry is in Qt's
// device-independent pixels, which Qt scales on high-density screens.
//
// Notifications mirror the headless back end: what the operator does is reported with byProgram false; what
// the program does through this interface is not reported, except SetText on an edit, which always reports a
// text change with byProgram true, and SetFocus, which reports the focus moving. Enter and Escape go to the
// handler's OnOk and OnCancel (Enter on a push button with the focus presses that button, as the default button
// of a Windows dialog follows the focus) and the close box to its OnClose; none of them closes the dialog.
//
// A control id that the template does not have, or a call that the control's kind cannot take, is ignored
// with a warning.
class QtDialog final : public Dialog, private qtback::ControlSink {
public:
    QtDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler, QtDialog* parent);
    ~QtDialog() override;
    QtDialog(const QtDialog&) = delete;
    QtDialog& operator=(const QtDialog&) = delete;

    int TemplateId() const override { return template_.id; }

    void Show(bool shown) override;
    bool IsShown() const override;
    void MoveTo(Point pixels) override;
    Rect Bounds() const override;
    void SetCaption(const std::string& caption) override;
    void SetWindowIcon(int iconResource) override;
    void RepaintNow() override;
    void SetTimer(int timerId, unsigned milliseconds) override;
    void KillTimer(int timerId) override;

    void SetMenuBar(const MenuBar& menus) override;
    void EnableMenuItem(int itemId, bool enabled) override;
    bool IsMenuItemEnabled(int itemId) const override;
    void SetStatusFields(const std::vector<std::string>& fields) override;

    void SetText(int control, const std::string& text) override;
    std::string Text(int control) const override;
    void ShowControl(int control, bool shown) override;
    bool IsControlShown(int control) const override;
    void EnableControl(int control, bool enabled) override;
    bool IsControlEnabled(int control) const override;
    void SetReadOnly(int control, bool readOnly) override;
    void SetColors(int control, const ControlColors& colors) override;
    void SetFont(int control, const Font& font) override;
    void SetFocus(int control) override;
    int FocusedControl() const override;
    void SetBitmap(int control, int bitmapResource) override;
    void SetIcon(int control, int iconResource) override;
    void SetTextLimit(int control, int characters) override;
    void SetPassword(int control, bool hidden) override;
    void SetToolTip(int control, const std::string& text) override;

    void AddItem(int control, const std::string& text) override;
    void DeleteItem(int control, int index) override;
    void ClearItems(int control) override;
    int ItemCount(int control) const override;
    std::string ItemText(int control, int index) const override;
    void SetCurrentIndex(int control, int index) override;
    int CurrentIndex(int control) const override;

    void SetColumns(int control, const std::vector<ListColumn>& columns) override;
    void SetImageList(int control, const ImageList& images) override;
    void SetIconSpacing(int control, Size pixels) override;
    void InsertRow(int control, int index) override;
    void DeleteRow(int control, int index) override;
    int RowCount(int control) const override;
    void SetCell(int control, int row, int column, const ListCell& cell) override;
    void SetCellToolTip(int control, int row, int column, const std::string& text) override;
    ListCell Cell(int control, int row, int column) const override;
    void SetRowTextColor(int control, int row, Color color) override;
    void SetRowSelected(int control, int row, bool selected) override;
    std::vector<int> SelectedRows(int control) const override;
    void ScrollToRow(int control, int row) override;
    Rect CellBounds(int control, int row, int column) const override;
    void SetDrawing(int control, const std::vector<DrawnRect>& rects) override;
    void SetChart(int control, const ChartData& chart) override;
    std::unique_ptr<CellEditor> CreateCellEditor(int control, const Rect& bounds, CellEditorEvents& events) override;

    void SetRange(int control, int minimum, int maximum) override;
    void SetPosition(int control, int position) override;
    int Position(int control) const override;
    void SetTickFrequency(int control, int every) override;

    void SetChecked(int control, bool checked) override;
    bool IsChecked(int control) const override;

    void SetTimeOfDay(int control, int minutes) override;
    int TimeOfDay(int control) const override;

    // The dialog's widget, and a control's: for the window system, main() and tests. Null when there is none.
    QWidget* Widget() const;
    // Where the controls and the panels lie: a panel itself, or inside a window the page its body scrolls,
    // between the menu and status bars.
    QWidget* ClientArea() const;
    QWidget* ControlWidget(int control) const;

    // Used by QtWindowSystem. RunModal shows the dialog, waits in a nested event loop for EndModal and hides
    // the dialog again; a result given before the run ends the run at once.
    int RunModal();
    void EndModal(int result);

private:
    struct ModalRun {
        QEventLoop* loop = nullptr;
        std::optional<int> result;
        bool dialogAlive = true;
    };

    void Report(const Notification& notification) override;
    template <class Call>
    bool Deliver(Call&& call);
    void Notify(int control, Event event, bool byProgram);
    void MenuItemChosen(int itemId);

    void BuildWindow(QtDialog* parent);
    void BuildControls();
    void BuildScrolledContent(QSize size);
    void PlaceOnScreen();
    void FitToScreen(QSize room);
    void RememberPlace() const;
    qtback::WindowBars& Bars();
    void Refit();
    void SetModal(bool modal);

    qtback::Control* Find(int control, const char* operation) const;
    template <class Capability>
    Capability* FindAs(int control, const char* operation) const;
    // Pass a call on to what a control can do, as the program's doing, and ask it; a control that cannot take
    // the call is left alone with a warning, and a question then has `otherwise` for its answer.
    template <class Capability, class... Parameters, class... Arguments>
    void Tell(int control, const char* operation, void (Capability::*call)(Parameters...), Arguments&&... arguments);
    // Sets a property that only some kinds of control have, with a warning where the control has none.
    template <class... Parameters, class... Arguments>
    void SetProperty(int control, const char* operation, bool (qtback::Control::*set)(Parameters...),
                     Arguments&&... arguments);
    template <class Capability, class Result, class... Parameters, class... Arguments>
    Result Ask(int control, const char* operation, Result (Capability::*question)(Parameters...) const,
               Result otherwise, Arguments&&... arguments) const;
    int ControlOf(QWidget* widget) const;
    void OnFocusChanged(QWidget* from, QWidget* to);
    void OnTimerTick(int timerId);

    DialogTemplate template_;
    DialogHandler& handler_;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<QObject> context_;  // of the connections that call into this object
    QPointer<qtback::DialogWindow> window_;
    QWidget* content_ = nullptr;  // belongs to the window
    QWidget* scroller_ = nullptr;  // a window's body, between its bars
    QVBoxLayout* layout_ = nullptr;
    QFont font_;
    std::vector<std::unique_ptr<qtback::Control>> controls_;
    std::map<int, QPointer<QTimer>> timers_;
    std::set<int> heldTimers_;
    std::shared_ptr<ModalRun> modal_;
    std::optional<int> earlyResult_;
    bool placed_ = false;
    std::unique_ptr<qtback::WindowBars> bars_;  // once a menu or status bar was asked for
};

template <class Capability>
Capability* QtDialog::FindAs(int control, const char* operation) const {
    qtback::Control* found = Find(control, operation);
    if (found == nullptr) return nullptr;
    auto* capable = dynamic_cast<Capability*>(found);
    if (capable == nullptr) qWarning("Kelvane dialog %d: control %d cannot take %s", template_.id, control, operation);
    return capable;
}

}  // namespace kelvane::ui

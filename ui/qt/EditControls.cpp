#include "ui/qt/EditControls.h"

#include "ui/qt/Activity.h"
#include "ui/qt/ProgramLines.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace kelvane::ui::qtback {
namespace {

constexpr int kUnlimited = 32767;  // what an edit holds when no limit was set
constexpr int kTextMargin = 1;

Qt::Alignment HorizontalAlignment(std::uint32_t style) {
    if ((style & kCentered) != 0) return Qt::AlignHCenter;
    if ((style & kRightAligned) != 0) return Qt::AlignRight;
    return Qt::AlignLeft;
}

QPalette ReadOnlyGround(QPalette palette, bool readOnly) {
    if (readOnly) palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    return palette;
}

}  // namespace

LineEditControl::LineEditControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QLineEdit(parent), sink), edit_(static_cast<QLineEdit*>(Widget())) {
    edit_->setFrame(HasStyle(kBorder));
    edit_->setAlignment(HorizontalAlignment(source.style) | Qt::AlignVCenter);
    edit_->setMaxLength(kUnlimited);
    edit_->setText(QString::fromStdString(source.caption));
    if (HasStyle(kNumbersOnly)) {
        edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    }
    SetReadOnly(HasStyle(kReadOnly));
    QObject::connect(edit_, &QLineEdit::textChanged, Context(), [this] { Report(Event::TextChanged); });
}

void LineEditControl::SetText(const std::string& text) { edit_->setText(QString::fromStdString(text)); }

std::string LineEditControl::Text() const { return edit_->text().toStdString(); }

bool LineEditControl::SetReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
    RefreshColors();
    return true;
}

bool LineEditControl::SetTextLimit(int characters) {
    edit_->setMaxLength(characters > 0 ? characters : kUnlimited);
    return true;
}

bool LineEditControl::SetPassword(bool hidden) {
    edit_->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
    return true;
}

QPalette LineEditControl::DefaultPalette() const {
    return ReadOnlyGround(Control::DefaultPalette(), edit_->isReadOnly());
}

TextEditControl::TextEditControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QPlainTextEdit(parent), sink), edit_(static_cast<QPlainTextEdit*>(Widget())) {
    edit_->setFrameStyle(HasStyle(kBorder) ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    // A dialog's multi-line field shows the scroll bars its style asks for, all the time, and wraps its lines
    // unless it scrolls across.
    edit_->setVerticalScrollBarPolicy(HasStyle(kVerticalScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit_->setHorizontalScrollBarPolicy(HasStyle(kHorizontalScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit_->setLineWrapMode(HasStyle(kHorizontalScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    edit_->setTabChangesFocus(true);
    // A dialog's edit keeps its text close to its edges: two lines of its font fill a field two lines high.
    edit_->document()->setDocumentMargin(kTextMargin);
    QTextOption option = edit_->document()->defaultTextOption();
    option.setAlignment(HorizontalAlignment(source.style));
    edit_->document()->setDefaultTextOption(option);
    edit_->setPlainText(FromProgramLines(source.caption));
    SetReadOnly(HasStyle(kReadOnly));
    QObject::connect(edit_, &QPlainTextEdit::textChanged, Context(), [this] {
        EnforceLimit();
        Report(Event::TextChanged);
    });
}

void TextEditControl::SetText(const std::string& text) {
    if (!HasStyle(kElideMiddle)) return edit_->setPlainText(FromProgramLines(text));
    full_ = FromProgramLines(text);
    ShowElided();
}

std::string TextEditControl::Text() const {
    return ToProgramLines(HasStyle(kElideMiddle) ? full_ : edit_->toPlainText());
}

void TextEditControl::SetFont(const QFont& font) {
    Control::SetFont(font);
    if (HasStyle(kElideMiddle)) ShowElided();
}

void TextEditControl::ShowElided() {
    // A message wraps onto the lines the field has room for; only a text that would pass the last line loses
    // its middle, so that a saved file's long path keeps its start and its file name.
    const QFontMetrics metrics = edit_->fontMetrics();
    const int room = edit_->contentsRect().width() - 2 * (kTextMargin + 1);
    const int lines = std::max(1, (edit_->contentsRect().height() - 2 * kTextMargin) / metrics.lineSpacing());
    const auto fits = [&](const QString& text) {
        const QRect bounds =
            metrics.boundingRect(QRect(0, 0, room, lines * 4 * metrics.lineSpacing()), Qt::TextWordWrap, text);
        const int linesNeeded = (bounds.height() + metrics.lineSpacing() / 2) / metrics.lineSpacing();
        return linesNeeded <= lines && bounds.width() <= room;
    };
    QString shown = full_;
    if (!fits(shown)) {
        const QString flat = QString(full_).replace(u'\n', u' ');
        for (int width = room * lines; width > 0; width -= std::max(1, room / 16)) {
            shown = metrics.elidedText(flat, Qt::ElideMiddle, width);
            if (fits(shown)) break;
        }
    }
    edit_->setPlainText(shown);
}

bool TextEditControl::SetReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
    ApplyInteraction();
    RefreshColors();
    return true;
}

bool TextEditControl::SetTextLimit(int characters) {
    limit_ = characters;
    return true;
}

QPalette TextEditControl::DefaultPalette() const {
    return ReadOnlyGround(Control::DefaultPalette(), edit_->isReadOnly());
}

void TextEditControl::ApplyInteraction() {
    // A read-only field without a caret only lets the mouse select; the others behave as usual.
    if (edit_->isReadOnly() && HasStyle(kNoCaret)) {
        edit_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    } else if (edit_->isReadOnly()) {
        edit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    } else {
        edit_->setTextInteractionFlags(Qt::TextEditorInteraction);
    }
}

void TextEditControl::EnforceLimit() {
    // The operator cannot type past the limit; what the program sets is kept whole.
    if (limit_ <= 0 || ProgramAtWork() || edit_->document()->characterCount() - 1 <= limit_) return;
    QTextCursor cursor(edit_->document());
    cursor.setPosition(limit_);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    const QSignalBlocker once(edit_);  // the change being reported covers the cut as well
    cursor.removeSelectedText();
}

}  // namespace kelvane::ui::qtback

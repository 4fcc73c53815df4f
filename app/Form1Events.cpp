#include "Form1.h"

#include <exception>
#include <optional>

#include "Colours.h"
#include "EditText.h"

// The six event procedures, and the drawing and storing they lead to.

namespace {

constexpr int kCtrlMask = 2;  // Ctrl alone: neither Shift (1) nor Alt (4)
constexpr int kKeyA = 65;
// From this size on a press takes long enough to show the wait cursor.
constexpr int kLargeText = 100000;

Scheme SystemScheme() {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    const bool highContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON);
    return {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HOTLIGHT), highContrast};
}

class WaitCursor {
public:
    explicit WaitCursor(bool show)
        : m_previous(show ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr), m_shown(show) {}
    ~WaitCursor() {
        if (m_shown) SetCursor(m_previous);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
    bool m_shown;
};

}  // namespace

// Text1's colours as Text1LookUnder picks them for the scheme (WM_CTLCOLOREDIT).
LRESULT Form1::Text1Colours(HDC dc) {
    const EditLook look = Text1LookUnder(SystemScheme());
    SetTextColor(dc, look.text);
    SetBkColor(dc, look.background);
    return reinterpret_cast<LRESULT>(look.background == kWhite ? GetStockObject(WHITE_BRUSH)
                                                               : GetSysColorBrush(COLOR_WINDOW));
}

// Each label in the colour LabelLookUnder picks for the scheme; a link's hover that would look
// like the rest is underlined.
void Form1::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hwnd, &paint);
    const HGDIOBJ oldFont = SelectObject(dc, m_messageFont.Get());
    SetBkMode(dc, TRANSPARENT);
    const Scheme scheme = SystemScheme();
    for (const Label& label : m_labels) {
        const LabelLook look = LabelLookUnder(scheme, label.foreColor, &label == &Label2());
        GdiObject<HFONT> underlined;
        if (look.underlined) {
            LOGFONTW font;
            GetObjectW(m_messageFont.Get(), sizeof font, &font);
            font.lfUnderline = TRUE;
            underlined = GdiObject<HFONT>(CreateFontIndirectW(&font));
            SelectObject(dc, underlined.Get());
        }
        RECT bounds = label.bounds;
        SetTextColor(dc, look.colour);
        DrawTextW(dc, label.caption, -1, &bounds, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, m_messageFont.Get());  // before the underlined font is deleted
    }
    SelectObject(dc, oldFont);
    EndPaint(m_hwnd, &paint);
}

// The form sees the mouse only where no child window is: over a label or the bare surface.
void Form1::MouseMove(POINT point) {
    if (PtInRect(&Label2().bounds, point))
        Label2_MouseMove();
    else if (!PtInRect(&Label1().bounds, point))
        Form_MouseMove();
}

void Form1::SetLabel2ForeColor(COLORREF color) {
    if (m_labels[1].foreColor == color) return;
    m_labels[1].foreColor = color;
    InvalidateRect(m_hwnd, &m_labels[1].bounds, TRUE);
}

// Where Text1 took less than all of the text, the old text is put back and false returned.
bool Form1::StoreText1(const std::u16string& text, int length) {
    m_text1Refused = false;
    ReplaceEditText(m_text1, length, text);
    if (!m_text1Refused) return true;
    SendMessageW(m_text1, EM_UNDO, 0, 0);
    return false;
}

// One length, one read, one store. A failing transformation throws (std::bad_alloc) before
// anything is stored, so Text1 stays as it was.
void Form1::Command1_Click() {
    const int length = GetWindowTextLengthW(m_text1);
    const WaitCursor wait(length >= kLargeText);
    StoreText1(m_calls.removeBlankLines(ReadEditText(m_text1, length)), length);
    SetEditCaret(m_text1, 0);
}

// A failing step is skipped and the next one runs; only a whole result is stored.
void Form1::Command2_Click() {
    const int length = GetWindowTextLengthW(m_text1);
    const WaitCursor wait(length >= kLargeText);
    std::optional<std::u16string> result;
    try {
        result = m_calls.addBlankLines(ReadEditText(m_text1, length));
    } catch (const std::exception&) {
    }
    // A whole store leaves the caret at the end, scrolled there: moving it again costs Wine's
    // edit two more walks of its line list.
    if (!result || !StoreText1(*result, length))
        SetEditCaret(m_text1, GetWindowTextLengthW(m_text1));
}

void Form1::Text1_KeyDown(int keyCode, int shift) {
    if (keyCode == kKeyA && shift == kCtrlMask) {
        SendMessageW(m_text1, EM_SETSEL, 0, -1);
        m_swallowSelectAllChar = true;
    }
}

void Form1::Form_MouseMove() {
    SetLabel2ForeColor(kBlack);
}

void Form1::Label2_MouseMove() {
    SetLabel2ForeColor(kBlue);
}

void Form1::Label2_Click() {
    m_calls.shellExecuteA(m_hwnd, "open", SiteUrl, "", "", SW_SHOW);  // SW_SHOW is 5
}

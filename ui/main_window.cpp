#include "ui/main_window.h"

#include <algorithm>
#include <vector>

#include "platform/win32_picture.h"

namespace zelvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"ZelvaneForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int kFirstChildId = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends

COLORREF ToColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

int ChildId(std::size_t row) { return kFirstChildId + static_cast<int>(row); }

bool IsChildWindow(Kind kind) { return kind == Kind::CommandButton || kind == Kind::FileList; }

std::size_t RowOf(Role role) {
    return static_cast<std::size_t>(
        std::find_if(kLayout.begin(), kLayout.end(), [role](const ControlDescription& c) { return c.role == role; }) -
        kLayout.begin());
}

std::size_t RowOf(const ControlDescription& control) { return static_cast<std::size_t>(&control - kLayout.data()); }

// The faces the window's fonts name, their own and their stand-ins, each looked up once.
class InstalledFaces {
public:
    explicit InstalledFaces(int dpi) : dpi_(dpi) {}

    // The font's own face or the first of its stand-ins that is usable at the DPI.
    std::wstring_view For(const FontStyle& style) {
        if (Usable(style.face)) return style.face;
        for (std::wstring_view standIn : style.standIns) {
            if (Usable(standIn)) return standIn;
        }
        return style.face;
    }

private:
    struct Face {
        std::wstring_view name;
        bool usable;
    };
    struct Found {
        bool any = false;
        bool scalable = false;
    };

    static int CALLBACK Note(const LOGFONTW*, const TEXTMETRICW*, DWORD type, LPARAM found) {
        auto* face = reinterpret_cast<Found*>(found);
        face->any = true;
        face->scalable = face->scalable || (type & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) != 0;
        return 1;
    }

    // Whether a face is installed; a bitmap face counts only at 96 DPI, where its sizes were drawn.
    bool Usable(std::wstring_view name) {
        for (const Face& face : known_) {
            if (face.name == name) return face.usable;
        }
        LOGFONTW query{};
        query.lfCharSet = DEFAULT_CHARSET;
        name.copy(query.lfFaceName, LF_FACESIZE - 1);
        Found found;
        ::EnumFontFamiliesExW(screen_.get(), &query, Note, reinterpret_cast<LPARAM>(&found), 0);
        const bool usable = found.any && (found.scalable || dpi_ == kDefaultScreenDpi);
        known_.push_back({name, usable});
        return usable;
    }

    int dpi_;
    WindowDc screen_;
    std::vector<Face> known_;
};

UniqueFont CreateFontFor(const FontStyle& style, std::wstring_view face, int dpi) {
    LOGFONTW font{};
    font.lfHeight = FontHeightPixels(style.hundredthsOfPoint, dpi);
    font.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.italic ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&font));
}

// The frame around a client area of 8475 x 6075 twips at a DPI, as the system's metrics make it.
SIZE FrameSize(const DpiFunctions& dpiFunctions, int dpi) {
    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    dpiFunctions.AdjustFrame(frame, kStyle, kExStyle, dpi);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

bool Meet(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

MainWindow::MainWindow(Win32Runtime& runtime, DpiFunctions dpiFunctions)
    : runtime_(runtime), dpiFunctions_(dpiFunctions) {
    for (std::size_t row = 0; row < kLayout.size(); ++row) visible_[row] = kLayout[row].visibleAtStart;
}

MainWindow::~MainWindow() {
    if (window_) ::DestroyWindow(window_);
}

void MainWindow::Create() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);

    // The frame is made at the size it has at the system's DPI, which a new window normally has.
    const SIZE frame = FrameSize(dpiFunctions_, dpiFunctions_.SystemDpi());
    window_ = ::CreateWindowExW(kExStyle, kClassName, L"Form1", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                                frame.cy, nullptr, nullptr, instance, this);
    if (!window_) FailWithLastError();
    runtime_.SetOwner(window_);
    dpi_ = dpiFunctions_.WindowDpi(window_);
    CreateFonts();
    SizeFrame();
    for (std::size_t row = 0; row < kLayout.size(); ++row) {
        if (kLayout[row].picture != 0) pictures_[row] = ResourcePicture(kLayout[row].picture);
    }
    CreateChildren();
    file1_ = std::make_unique<Win32FileList>(Child(Role::File1));
    form_ = std::make_unique<Form1>(runtime_, FormControls{caption_, *file1_, image1_, label1_});
}

void MainWindow::Show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetFocus(Child(Role::File1));
}

HWND MainWindow::Child(Role role) const { return children_[RowOf(role)]; }

bool MainWindow::Image1Visible() const { return visible_[RowOf(Role::Image1)]; }

bool MainWindow::Label1Visible() const { return visible_[RowOf(Role::Label1)]; }

const Picture* MainWindow::Image1Picture() const { return pictures_[RowOf(Role::Image1)].get(); }

void MainWindow::CreateFonts() {
    InstalledFaces faces(dpi_);
    for (std::size_t i = 0; i < kFonts.size(); ++i) fonts_[i] = CreateFontFor(kFonts[i], faces.For(kFonts[i]), dpi_);
}

HFONT MainWindow::FontOf(const ControlDescription& control) const {
    return control.font ? fonts_[static_cast<std::size_t>(control.font - kFonts.data())].get() : nullptr;
}

// Sizes the frame so that the client area is exactly 8475 x 6075 twips. The frame's own metrics
// are the system's to choose (not every system scales them with the window's DPI), so whatever
// the first guess misses is made up once from the client area it gave.
void MainWindow::SizeFrame() {
    const SIZE client{TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)};
    SIZE size = FrameSize(dpiFunctions_, dpi_);
    RECT current{};
    ::GetWindowRect(window_, &current);
    if (current.right - current.left != size.cx || current.bottom - current.top != size.cy) {
        ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT actual{};
    ::GetClientRect(window_, &actual);
    if (actual.right != client.cx || actual.bottom != client.cy) {
        size.cx += client.cx - actual.right;
        size.cy += client.cy - actual.bottom;
        ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The child windows in tab order, the list and then the buttons by tab index, each at its box and
// with its font from the start. Windows ties the tab order to the children's stacking; they never
// overlap, so the table's stacking among them does not show.
void MainWindow::CreateChildren() {
    std::array<std::size_t, kControlCount> rows{};
    std::size_t childCount = 0;
    for (std::size_t row = 0; row < kLayout.size(); ++row) {
        if (IsChildWindow(kLayout[row].kind)) rows[childCount++] = row;
    }
    std::sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(childCount),
              [](std::size_t a, std::size_t b) { return kLayout[a].tabIndex < kLayout[b].tabIndex; });
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < childCount; ++i) {
        const std::size_t row = rows[i];
        const ControlDescription& control = kLayout[row];
        const std::wstring caption(control.caption);
        const bool list = control.kind == Kind::FileList;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                            (list ? WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS : BS_PUSHBUTTON);
        const RECT box = PixelBox(control);
        children_[row] =
            ::CreateWindowExW(list ? WS_EX_CLIENTEDGE : 0, list ? L"LISTBOX" : L"BUTTON", caption.c_str(), style,
                              box.left, box.top, box.right - box.left, box.bottom - box.top, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildId(row))), instance, nullptr);
        if (!children_[row]) FailWithLastError();
        ::SendMessageW(children_[row], WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
    }
}

// Moves the children to their boxes at the current DPI and gives them the current fonts.
void MainWindow::PlaceChildren() {
    for (std::size_t row = 0; row < kLayout.size(); ++row) {
        if (!children_[row]) continue;
        const RECT box = PixelBox(kLayout[row]);
        ::SetWindowPos(children_[row], nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(children_[row], WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(kLayout[row])), TRUE);
    }
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The old fonts stay alive until the children have been given the new ones.
    const std::array<UniqueFont, kFonts.size()> previous = std::move(fonts_);
    CreateFonts();
    SizeFrame();
    PlaceChildren();
    ::InvalidateRect(window_, nullptr, FALSE);
}

RECT MainWindow::PixelBox(const ControlDescription& control) const {
    Box box = control.box;
    // An image takes the size of its picture, which is drawn at 15 twips to its pixel.
    if (const Picture* picture = control.kind == Kind::Image ? pictures_[RowOf(control)].get() : nullptr) {
        box.width = picture->Width() * 15;
        box.height = picture->Height() * 15;
    }
    return RECT{TwipsToPixels(box.left, dpi_), TwipsToPixels(box.top, dpi_), TwipsToPixels(box.left + box.width, dpi_),
                TwipsToPixels(box.top + box.height, dpi_)};
}

bool MainWindow::Drawn(std::size_t row) const { return !IsChildWindow(kLayout[row].kind) && visible_[row]; }

// Paints the area into the DC, from the back of the table to its front. Solid fills take the DC's
// own brush, so painting makes no GDI object.
void MainWindow::Paint(HDC dc, const RECT& area) const {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetDCBrushColor(dc, ToColorRef(kBlack));
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    for (std::size_t row = kLayout.size(); row-- > 0;) {
        const ControlDescription& control = kLayout[row];
        if (!Drawn(row)) continue;
        const RECT box = PixelBox(control);
        if (!Meet(box, area)) continue;
        switch (control.kind) {
            case Kind::Rectangle:
            case Kind::Oval:
            case Kind::Circle:
            case Kind::RoundedRectangle:
                PaintShape(dc, control, box);
                break;
            case Kind::Label:
                PaintLabel(dc, control, box);
                break;
            case Kind::Image:
                if (pictures_[row]) PaintImage(dc, *pictures_[row], box);
                break;
            case Kind::CommandButton:
            case Kind::FileList:
                break;
        }
    }
    ::RestoreDC(dc, saved);
}

// The window's first paint goes straight to it: it has shown nothing yet, so nothing can flicker,
// and the off-screen bitmap, whose memory is slow to touch the first time, is not needed yet.
// Every later paint is composed in that bitmap, made then and kept, and copied out once.
void MainWindow::PaintBuffered(HDC target, const RECT& area) {
    const SIZE client{TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)};
    if (!buffer_.dc || buffer_.size.cx != client.cx || buffer_.size.cy != client.cy) {
        buffer_.Reset();
        const WindowDc screen(window_);
        buffer_.bitmap.reset(::CreateCompatibleBitmap(screen.get(), client.cx, client.cy));
        buffer_.dc.reset(::CreateCompatibleDC(screen.get()));
        if (!buffer_.bitmap || !buffer_.dc) {
            buffer_.Reset();
            return Paint(target, area);
        }
        buffer_.original = ::SelectObject(buffer_.dc.get(), buffer_.bitmap.get());
        buffer_.size = client;
    }
    Paint(buffer_.dc.get(), area);
    ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, buffer_.dc.get(), area.left,
             area.top, SRCCOPY);
}

void MainWindow::Buffer::Reset() {
    if (dc && original) ::SelectObject(dc.get(), original);
    original = nullptr;
    dc.reset();
    bitmap.reset();
    size = {};
}

void MainWindow::PaintShape(HDC dc, const ControlDescription& control, const RECT& box) const {
    ::SetDCBrushColor(dc, ToColorRef(control.colour));
    if (control.kind == Kind::Rectangle) {
        ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        return;
    }
    // With no pen a figure's right and bottom edges are left out: draw one pixel larger, clipped to
    // the box so that no implementation can paint past it.
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (control.kind == Kind::Oval) {
        ::Ellipse(dc, box.left, box.top, box.right + 1, box.bottom + 1);
    } else if (control.kind == Kind::Circle) {
        const int diameter = std::min(width, height);
        const int left = box.left + (width - diameter) / 2;
        const int top = box.top + (height - diameter) / 2;
        ::Ellipse(dc, left, top, left + diameter + 1, top + diameter + 1);
    } else {
        const int corner = std::min(width, height) / 2;
        ::RoundRect(dc, box.left, box.top, box.right + 1, box.bottom + 1, corner, corner);
    }
    ::RestoreDC(dc, saved);
}

void MainWindow::PaintLabel(HDC dc, const ControlDescription& control, const RECT& box) const {
    if (control.opaqueBack) {
        ::SetDCBrushColor(dc, ToColorRef(control.backColour));
        ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
    ::SelectObject(dc, FontOf(control));
    ::SetTextColor(dc, ToColorRef(control.colour));
    const UINT align = control.align == Align::Left ? DT_LEFT : control.align == Align::Centre ? DT_CENTER : DT_RIGHT;
    RECT text = box;
    ::DrawTextW(dc, control.caption.data(), static_cast<int>(control.caption.size()), &text,
                align | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

void MainWindow::PaintImage(HDC dc, const Picture& picture, const RECT& box) const {
    static_cast<const Win32Picture&>(picture).Draw(dc, box);
}

void MainWindow::InvalidateControl(Role role) {
    const RECT box = PixelBox(kLayout[RowOf(role)]);
    ::InvalidateRect(window_, &box, FALSE);
}

void MainWindow::SetCaption(std::wstring_view caption) {
    const std::wstring text(caption);
    ::SetWindowTextW(window_, text.c_str());
}

void MainWindow::SetPicture(Role role, PicturePtr picture) {
    InvalidateControl(role);
    pictures_[RowOf(role)] = std::move(picture);
    InvalidateControl(role);
}

void MainWindow::SetVisible(Role role, bool visible) {
    visible_[RowOf(role)] = visible;
    InvalidateControl(role);
}

void MainWindow::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window_, &paint);
    if (painted_) {
        PaintBuffered(dc, paint.rcPaint);
    } else {
        Paint(dc, paint.rcPaint);
        painted_ = true;
    }
    ::EndPaint(window_, &paint);
}

void MainWindow::OnCommand(int id, int code) {
    const auto is = [id](Role role) { return id == ChildId(RowOf(role)); };
    if (is(Role::File1)) {
        if (code == LBN_SELCHANGE) form_->Raise(FormEvent::File1Click);
        if (code == LBN_DBLCLK) form_->Raise(FormEvent::File1DblClick);
    } else if (code == BN_CLICKED) {
        if (is(Role::Command1)) form_->Raise(FormEvent::Command1Click);
        if (is(Role::Command2)) form_->Raise(FormEvent::Command2Click);
        if (is(Role::Command3)) form_->Raise(FormEvent::Command3Click);
    }
}

// The list's text and background colours, from the table.
LRESULT MainWindow::OnListColours(HDC dc) const {
    const ControlDescription& list = kLayout[RowOf(Role::File1)];
    ::SetTextColor(dc, ToColorRef(list.colour));
    ::SetBkColor(dc, ToColorRef(list.backColour));
    ::SetDCBrushColor(dc, ToColorRef(list.backColour));
    return reinterpret_cast<LRESULT>(::GetStockObject(DC_BRUSH));
}

// Keeps the keyboard focus where it was when the window is activated again.
void MainWindow::OnActivate(bool active) {
    if (!active) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(window_, focus)) focus_ = focus;
    } else {
        ::SetFocus(focus_ ? focus_ : Child(Role::File1));
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT: {
            // Themed children ask for the background behind themselves: paint only what they show.
            const auto dc = reinterpret_cast<HDC>(wParam);
            RECT client{};
            RECT asked{};
            ::GetClientRect(window_, &client);
            if (::GetClipBox(dc, &asked) == NULLREGION || !::IntersectRect(&asked, &asked, &client)) return 0;
            Paint(dc, asked);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_COMMAND:
            if (form_) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORLISTBOX:
            return OnListColours(reinterpret_cast<HDC>(wParam));
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case kDpiChangedMessage:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (message == WM_NCDESTROY && self) {
        self->window_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self ? self->HandleMessage(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace zelvane::win32

#include "ui/main_window.h"

#include <algorithm>

#include "ui/resource_ids.h"

namespace zelvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"ZelvaneForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int kFirstChildId = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends
constexpr std::array<const FontStyle*, 4> kFonts{&kSansSerif8, &kSansSerif24, &kTahoma22, &kMyriad22};

COLORREF ToColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

int ChildId(std::size_t row) { return kFirstChildId + static_cast<int>(row); }

bool IsChildWindow(Kind kind) { return kind == Kind::CommandButton || kind == Kind::FileList; }

const ControlDescription& ControlOf(Role role) {
    return *std::find_if(kLayout.begin(), kLayout.end(),
                         [role](const ControlDescription& c) { return c.role == role; });
}

std::size_t RowOf(Role role) { return static_cast<std::size_t>(&ControlOf(role) - kLayout.data()); }

struct FaceFound {
    bool any = false;
    bool scalable = false;
};

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD type, LPARAM found) {
    auto* face = reinterpret_cast<FaceFound*>(found);
    face->any = true;
    face->scalable = face->scalable || (type & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) != 0;
    return 1;
}

// Whether a face is installed; a bitmap face counts only at 96 DPI, where its sizes were drawn.
bool FontFaceUsable(std::wstring_view face, int dpi) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    FaceFound found;
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found.any && (found.scalable || dpi == 96);
}

// The named face or the first usable stand-in: "MyriadRoman" is no system font, and the bitmap
// "MS Sans Serif" of Windows would be blocky at other DPIs.
std::wstring_view InstalledFace(std::wstring_view face, int dpi) {
    const std::array<std::wstring_view, 4> candidates =
        face == L"MyriadRoman" ? std::array<std::wstring_view, 4>{face, L"Myriad Pro", L"Segoe UI", L"Tahoma"}
                               : std::array<std::wstring_view, 4>{face, L"Microsoft Sans Serif", L"Tahoma", L"Arial"};
    for (std::wstring_view candidate : candidates) {
        if (FontFaceUsable(candidate, dpi)) return candidate;
    }
    return face;
}

UniqueFont CreateFontFor(const FontStyle& style, int dpi) {
    LOGFONTW font{};
    font.lfHeight = FontHeightPixels(style.hundredthsOfPoint, dpi);
    font.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.italic ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    InstalledFace(style.face, dpi).copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&font));
}

PicturePtr ResourcePicture(int id) {
    BITMAP info{};
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || !::GetObjectW(bitmap.get(), sizeof info, &info)) return nullptr;
    return std::make_shared<Win32Picture>(std::move(bitmap), info.bmWidth, info.bmHeight);
}

}  // namespace

MainWindow::MainWindow(Win32Runtime& runtime, DpiFunctions dpiFunctions)
    : runtime_(runtime),
      dpiFunctions_(dpiFunctions),
      image1Visible_(ControlOf(Role::Image1).visibleAtStart),
      label1Visible_(ControlOf(Role::Label1).visibleAtStart) {}

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

    window_ = ::CreateWindowExW(kExStyle, kClassName, L"Form1", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                                nullptr, instance, this);
    if (!window_) FailWithLastError();
    runtime_.SetOwner(window_);
    dpi_ = dpiFunctions_.WindowDpi(window_);

    // Child windows in tab order: the list, then the buttons by tab index. Windows ties the tab
    // order to the children's stacking; they never overlap, so the table's stacking among them
    // does not show.
    std::array<std::size_t, kControlCount> rows{};
    std::size_t childCount = 0;
    for (std::size_t row = 0; row < kLayout.size(); ++row) {
        if (IsChildWindow(kLayout[row].kind)) rows[childCount++] = row;
    }
    std::sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(childCount),
              [](std::size_t a, std::size_t b) { return kLayout[a].tabIndex < kLayout[b].tabIndex; });
    for (std::size_t i = 0; i < childCount; ++i) {
        const std::size_t row = rows[i];
        const ControlDescription& control = kLayout[row];
        const std::wstring caption(control.caption);
        const bool list = control.kind == Kind::FileList;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                            (list ? WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS : BS_PUSHBUTTON);
        children_[row] = ::CreateWindowExW(
            list ? WS_EX_CLIENTEDGE : 0, list ? L"LISTBOX" : L"BUTTON", caption.c_str(), style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildId(row))), instance, nullptr);
        if (!children_[row]) FailWithLastError();
    }
    file1_ = std::make_unique<Win32FileList>(Child(Role::File1));
    image1Picture_ = ResourcePicture(IDB_SAMPLE_MAP);
    image2Picture_ = ResourcePicture(IDB_SPACESHIP);
    ApplyDpi();
    form_ = std::make_unique<Form1>(runtime_, FormControls{caption_, *file1_, image1_, label1_});
}

void MainWindow::Show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetFocus(Child(Role::File1));
}

HWND MainWindow::Child(Role role) const { return children_[RowOf(role)]; }

// Sizes the frame so that the client area is exactly 8475 x 6075 twips. The frame's own metrics
// are the system's to choose (not every system scales them with the window's DPI), so whatever
// the first guess misses is made up once from the client area it gave.
void MainWindow::SizeFrame() {
    const SIZE client{TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)};
    RECT frame{0, 0, client.cx, client.cy};
    dpiFunctions_.AdjustFrame(frame, kStyle, kExStyle, dpi_);
    SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT actual{};
    ::GetClientRect(window_, &actual);
    if (actual.right != client.cx || actual.bottom != client.cy) {
        size.cx += client.cx - actual.right;
        size.cy += client.cy - actual.bottom;
        ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Sizes the frame, the children and the fonts for the current DPI.
void MainWindow::ApplyDpi() {
    // The old fonts stay alive until the children have been given the new ones.
    std::array<UniqueFont, kFonts.size()> oldFonts;
    for (std::size_t i = 0; i < kFonts.size(); ++i) {
        oldFonts[i] = std::move(fonts_[i]);
        fonts_[i] = CreateFontFor(*kFonts[i], dpi_);
    }
    SizeFrame();
    for (std::size_t row = 0; row < kLayout.size(); ++row) {
        if (!children_[row]) continue;
        const RECT box = PixelBox(kLayout[row]);
        ::SetWindowPos(children_[row], nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(children_[row], WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(kLayout[row].font)), TRUE);
    }
    ::InvalidateRect(window_, nullptr, FALSE);
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
}

HFONT MainWindow::FontFor(const FontStyle* style) const {
    for (std::size_t i = 0; i < kFonts.size(); ++i) {
        if (kFonts[i] == style) return fonts_[i].get();
    }
    return nullptr;
}

RECT MainWindow::PixelBox(const ControlDescription& control) const {
    Box box = control.box;
    // An image takes the size of its picture, which is drawn at 15 twips to its pixel.
    const Picture* picture = control.role == Role::Image1  ? image1Picture_.get()
                             : control.kind == Kind::Image ? image2Picture_.get()
                                                           : nullptr;
    if (picture) {
        box.width = picture->Width() * 15;
        box.height = picture->Height() * 15;
    }
    return RECT{TwipsToPixels(box.left, dpi_), TwipsToPixels(box.top, dpi_), TwipsToPixels(box.left + box.width, dpi_),
                TwipsToPixels(box.top + box.height, dpi_)};
}

void MainWindow::Paint(HDC target) const {
    RECT client{};
    ::GetClientRect(window_, &client);
    UniqueMemoryDc dc(::CreateCompatibleDC(target));
    UniqueBitmap buffer(::CreateCompatibleBitmap(target, client.right, client.bottom));
    {
        SelectGuard bufferSelected(dc.get(), buffer.get());
        ::SetBkColor(dc.get(), ToColorRef(kBlack));
        ::ExtTextOutW(dc.get(), 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
        for (auto row = kLayout.rbegin(); row != kLayout.rend(); ++row) PaintElement(dc.get(), *row);
        ::BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
    }
}

void MainWindow::PaintElement(HDC dc, const ControlDescription& control) const {
    if (IsChildWindow(control.kind)) return;
    if (control.role == Role::Image1 && !image1Visible_) return;
    if (control.role == Role::Label1 && !label1Visible_) return;
    if (control.role == Role::Decoration && !control.visibleAtStart) return;
    RECT box = PixelBox(control);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    switch (control.kind) {
        case Kind::Rectangle: {
            UniqueBrush brush(::CreateSolidBrush(ToColorRef(control.colour)));
            ::FillRect(dc, &box, brush.get());
            break;
        }
        case Kind::Oval:
        case Kind::Circle:
        case Kind::RoundedRectangle: {
            UniqueBrush brush(::CreateSolidBrush(ToColorRef(control.colour)));
            SelectGuard brushSelected(dc, brush.get());
            SelectGuard penSelected(dc, ::GetStockObject(NULL_PEN));
            // With no pen the figure's right and bottom edges are left out: draw one pixel larger,
            // clipped to the box so that no implementation can paint past it.
            ::SaveDC(dc);
            ::IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
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
            ::RestoreDC(dc, -1);
            break;
        }
        case Kind::Label: {
            if (control.opaqueBack) {
                UniqueBrush brush(::CreateSolidBrush(ToColorRef(control.backColour)));
                ::FillRect(dc, &box, brush.get());
            }
            SelectGuard fontSelected(dc, FontFor(control.font));
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, ToColorRef(control.colour));
            const UINT align = control.align == Align::Left     ? DT_LEFT
                               : control.align == Align::Centre ? DT_CENTER
                                                                : DT_RIGHT;
            ::DrawTextW(dc, control.caption.data(), static_cast<int>(control.caption.size()), &box,
                        align | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            break;
        }
        case Kind::Image: {
            const auto* picture = static_cast<const Win32Picture*>(control.role == Role::Image1 ? image1Picture_.get()
                                                                                                : image2Picture_.get());
            if (!picture) break;
            UniqueMemoryDc source(::CreateCompatibleDC(dc));
            SelectGuard pictureSelected(source.get(), picture->Bitmap());
            if (width == picture->Width() && height == picture->Height()) {
                // At 96 DPI a picture is drawn pixel for pixel: copy only what the window shows.
                ::BitBlt(dc, box.left, box.top, width, height, source.get(), 0, 0, SRCCOPY);
            } else {
                ::SetStretchBltMode(dc, HALFTONE);
                ::SetBrushOrgEx(dc, 0, 0, nullptr);
                ::StretchBlt(dc, box.left, box.top, width, height, source.get(), 0, 0, picture->Width(),
                             picture->Height(), SRCCOPY);
            }
            break;
        }
        case Kind::CommandButton:
        case Kind::FileList:
            break;
    }
}

void MainWindow::InvalidateControl(Role role) {
    const RECT box = PixelBox(ControlOf(role));
    ::InvalidateRect(window_, &box, FALSE);
}

void MainWindow::FormCaption::SetCaption(std::wstring_view caption) {
    const std::wstring text(caption);
    ::SetWindowTextW(window_.window_, text.c_str());
}

void MainWindow::Image1::SetPicture(PicturePtr picture) {
    window_.InvalidateControl(Role::Image1);
    window_.image1Picture_ = std::move(picture);
    window_.InvalidateControl(Role::Image1);
}

void MainWindow::Image1::SetVisible(bool visible) {
    window_.image1Visible_ = visible;
    window_.InvalidateControl(Role::Image1);
}

void MainWindow::Label1::SetVisible(bool visible) {
    window_.label1Visible_ = visible;
    window_.InvalidateControl(Role::Label1);
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

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(window_, &paint);
            Paint(dc);
            ::EndPaint(window_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_COMMAND:
            if (form_) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORLISTBOX: {
            const ControlDescription& list = ControlOf(Role::File1);
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ToColorRef(list.colour));
            ::SetBkColor(dc, ToColorRef(list.backColour));
            return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
        }
        case WM_ACTIVATE:
            // Keep the keyboard focus where it was when the window is activated again.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = ::GetFocus();
                if (focus && ::IsChild(window_, focus)) focus_ = focus;
            } else {
                ::SetFocus(focus_ ? focus_ : Child(Role::File1));
            }
            return 0;
        case WM_DPICHANGED:
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

// Form1's window on Win32: the frame, the four child windows and the drawn elements of the layout
// table, and the dispatch of their events to Form1's handlers.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "platform/win32_base.h"
#include "platform/win32_dpi.h"
#include "platform/win32_file_list.h"
#include "platform/win32_runtime.h"
#include "ui/form1.h"
#include "ui/layout.h"

namespace zelvane::win32 {

class MainWindow final {
public:
    // The DPI functions are the system's, or a stand-in set for a test of the fallbacks.
    explicit MainWindow(Win32Runtime& runtime, DpiFunctions dpiFunctions = DpiFunctions::OfSystem());
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window and its controls, hidden.
    void Create();
    // Runs the load handler; a failure there ends the program before the window shows.
    bool Load() { return form_->Raise(FormEvent::Load); }
    // Shows the window with the focus in the map list.
    void Show();
    HWND Handle() const { return window_; }
    HWND Child(Role role) const;

    // Paints an area of the client (background and drawn elements) into any DC.
    void Paint(HDC dc, const RECT& area) const;
    // The box of a control in device pixels at the window's DPI (an image's follows its picture).
    RECT PixelBox(const ControlDescription& control) const;
    int Dpi() const { return dpi_; }
    bool Image1Visible() const;
    bool Label1Visible() const;
    const Picture* Image1Picture() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnCommand(int id, int code);
    LRESULT OnListColours(HDC dc) const;
    void OnActivate(bool active);
    void OnDpiChanged(int dpi, const RECT& suggested);

    void CreateFonts();
    void SizeFrame();
    void CreateChildren();
    void PlaceChildren();
    HFONT FontOf(const ControlDescription& control) const;
    bool Drawn(std::size_t row) const;
    void PaintBuffered(HDC target, const RECT& area);
    void PaintShape(HDC dc, const ControlDescription& control, const RECT& box) const;
    void PaintLabel(HDC dc, const ControlDescription& control, const RECT& box) const;
    void PaintImage(HDC dc, const Picture& picture, const RECT& box) const;

    // What Form1 changes at run time: the caption, Image1's picture and visibility, Label1's.
    void SetCaption(std::wstring_view caption);
    void SetPicture(Role role, PicturePtr picture);
    void SetVisible(Role role, bool visible);
    void InvalidateControl(Role role);

    // The off-screen bitmap of the client's size that paints after the first are composed in.
    struct Buffer {
        UniqueBitmap bitmap;
        UniqueMemoryDc dc;
        HGDIOBJ original = nullptr;
        SIZE size{};
        void Reset();
        ~Buffer() { Reset(); }
    };

    // The window as Form1 sees it: its caption, Image1 and Label1.
    class FormCaption final : public CaptionControl {
    public:
        explicit FormCaption(MainWindow& window) : window_(window) {}
        void SetCaption(std::wstring_view caption) override { window_.SetCaption(caption); }

    private:
        MainWindow& window_;
    };
    class Image final : public ImageControl {
    public:
        Image(MainWindow& window, Role role) : window_(window), role_(role) {}
        void SetPicture(PicturePtr picture) override { window_.SetPicture(role_, std::move(picture)); }
        void SetVisible(bool visible) override { window_.SetVisible(role_, visible); }

    private:
        MainWindow& window_;
        Role role_;
    };
    class Label final : public LabelControl {
    public:
        Label(MainWindow& window, Role role) : window_(window), role_(role) {}
        void SetVisible(bool visible) override { window_.SetVisible(role_, visible); }

    private:
        MainWindow& window_;
        Role role_;
    };

    Win32Runtime& runtime_;
    const DpiFunctions dpiFunctions_;
    HWND window_ = nullptr;
    int dpi_ = kDefaultScreenDpi;
    std::array<HWND, kControlCount> children_{};
    std::array<UniqueFont, kFonts.size()> fonts_;
    std::array<PicturePtr, kControlCount> pictures_;
    std::array<bool, kControlCount> visible_{};
    bool painted_ = false;
    Buffer buffer_;
    HWND focus_ = nullptr;
    FormCaption caption_{*this};
    Image image1_{*this, Role::Image1};
    Label label1_{*this, Role::Label1};
    std::unique_ptr<Win32FileList> file1_;
    std::unique_ptr<Form1> form_;
};

}  // namespace zelvane::win32

// Form1's window on Win32: the frame, the four child windows, the drawn elements of the layout
// table, and the dispatch of their events to Form1's handlers.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

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

    // Paints the client area (background and drawn elements) into any DC.
    void Paint(HDC dc) const;
    // The box of a control in device pixels at the window's DPI (Image1 follows its picture).
    RECT PixelBox(const ControlDescription& control) const;
    int Dpi() const { return dpi_; }
    bool Image1Visible() const { return image1Visible_; }
    bool Label1Visible() const { return label1Visible_; }
    const Picture* Image1Picture() const { return image1Picture_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void OnDpiChanged(int dpi, const RECT& suggested);
    void ApplyDpi();
    void SizeFrame();
    HFONT FontFor(const FontStyle* style) const;
    void PaintElement(HDC dc, const ControlDescription& control) const;
    void InvalidateControl(Role role);

    // The window as Form1 sees it: its caption, Image1 and Label1.
    class FormCaption final : public CaptionControl {
    public:
        explicit FormCaption(MainWindow& window) : window_(window) {}
        void SetCaption(std::wstring_view caption) override;

    private:
        MainWindow& window_;
    };
    class Image1 final : public ImageControl {
    public:
        explicit Image1(MainWindow& window) : window_(window) {}
        void SetPicture(PicturePtr picture) override;
        void SetVisible(bool visible) override;

    private:
        MainWindow& window_;
    };
    class Label1 final : public LabelControl {
    public:
        explicit Label1(MainWindow& window) : window_(window) {}
        void SetVisible(bool visible) override;

    private:
        MainWindow& window_;
    };

    Win32Runtime& runtime_;
    const DpiFunctions dpiFunctions_;
    HWND window_ = nullptr;
    std::array<HWND, kControlCount> children_{};
    FormCaption caption_{*this};
    Image1 image1_{*this};
    Label1 label1_{*this};
    std::unique_ptr<Win32FileList> file1_;
    std::unique_ptr<Form1> form_;
    int dpi_ = 96;
    HWND focus_ = nullptr;
    std::array<UniqueFont, 4> fonts_;
    std::shared_ptr<const Picture> image1Picture_;
    std::shared_ptr<const Picture> image2Picture_;
    bool image1Visible_;
    bool label1Visible_;
};

}  // namespace zelvane::win32

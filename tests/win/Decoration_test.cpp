// Window decoration over the program's real resources (linked into this test):
// loading the seven images (also decoded ahead on a thread of their own),
// refusing missing and broken ones, the composed buffer, the information
// document (also streamed in only after the panel's first paint).
#include "app/Decoration.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "app/InfoPanel.h"
#include "platform/AppError.h"

namespace {

struct TLoaded {
    TMainDecoration Deco;
    TLoaded() { Deco.LoadAll(GetModuleHandleW(nullptr)); }
};

uint32_t At(const TBitmap32& b, int x, int y) { return b.Pixel(x, y); }

}  // namespace

TEST(Decoration, LoadsTheSevenImagesOpaqueAtTheirSizes) {
    TLoaded l;
    const std::pair<TDecorImage, TSize> expected[] = {
        {TDecorImage::Background, {128, 128}}, {TDecorImage::Panels, {958, 472}},
        {TDecorImage::Logo, {72, 70}},         {TDecorImage::TitlePnlL, {22, 100}},
        {TDecorImage::TitlePnlR, {22, 100}},   {TDecorImage::TitlePnlM, {1, 100}},
        {TDecorImage::Title, {500, 66}}};
    for (auto [image, size] : expected) {
        const TBitmap32& b = l.Deco.Image(image);
        EXPECT_EQ(b.Width(), size.Width) << kDecorResourceNames[int(image)];
        EXPECT_EQ(b.Height(), size.Height) << kDecorResourceNames[int(image)];
        int translucent = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if ((At(b, x, y) >> 24) != 0xFF) ++translucent;
        EXPECT_EQ(translucent, 0) << kDecorResourceNames[int(image)];
    }
    EXPECT_EQ(l.Deco.PanelColor(), RGB(236, 236, 235));
}

TEST(Decoration, MissingOrBrokenResourceIsAnError) {
    TBitmap32 b;
    try {
        LoadPngResource(b, L"NO_SUCH_IMAGE");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(L"NO_SUCH_IMAGE"), std::wstring::npos);
    }
    // INFO is an RTF document, not a PNG image.
    EXPECT_THROW(LoadPngResource(b, L"INFO"), EAppError);
    // A module that carries none of the images: window creation must fail,
    // with the same error whether the images were decoded ahead or not.
    TMainDecoration deco;
    std::wstring direct, ahead;
    try {
        deco.LoadAll(GetModuleHandleW(L"kernel32.dll"));
    } catch (const EAppError& e) {
        direct = e.Message();
    }
    PreloadDecorImages(GetModuleHandleW(L"kernel32.dll"));
    try {
        deco.LoadAll(GetModuleHandleW(L"kernel32.dll"));
    } catch (const EAppError& e) {
        ahead = e.Message();
    }
    EXPECT_NE(direct.find(L"BACKGROUND"), std::wstring::npos);
    EXPECT_EQ(ahead, direct);
}

TEST(Decoration, ImagesDecodedAheadAreTheImagesLoadedInPlace) {
    const HMODULE self = GetModuleHandleW(nullptr);
    TLoaded inPlace;
    // Decoded ahead for another module: this load does not take them.
    PreloadDecorImages(GetModuleHandleW(L"kernel32.dll"));
    TMainDecoration unaffected;
    unaffected.LoadAll(self);
    PreloadDecorImages(self);
    TMainDecoration ahead;
    ahead.LoadAll(self);
    for (int i = 0; i < kDecorImageCount; ++i) {
        SCOPED_TRACE(std::string(kDecorResourceNames[i], kDecorResourceNames[i] + wcslen(kDecorResourceNames[i])));
        for (const TMainDecoration* d : {&ahead, &unaffected}) {
            const TBitmap32& a = d->Image(TDecorImage(i));
            const TBitmap32& b = inPlace.Deco.Image(TDecorImage(i));
            ASSERT_EQ(a.Width(), b.Width());
            ASSERT_EQ(a.Height(), b.Height());
            EXPECT_EQ(0, memcmp(a.Bits(), b.Bits(), size_t(a.Width()) * a.Height() * 4));
        }
    }
}

TEST(Decoration, ComposesTheBufferFromTheImages) {
    TLoaded l;
    const TBitmap32& title = l.Deco.Image(TDecorImage::Title);
    const TBitmap32& right = l.Deco.Image(TDecorImage::TitlePnlR);
    const TBitmap32& middle = l.Deco.Image(TDecorImage::TitlePnlM);
    const TBitmap32& panels = l.Deco.Image(TDecorImage::Panels);
    const TBitmap32& tile = l.Deco.Image(TDecorImage::Background);

    for (auto [W, H] : {std::pair{954, 579}, std::pair{1280, 971}, std::pair{1024, 768}}) {
        SCOPED_TRACE(std::to_string(W) + "x" + std::to_string(H));
        const TCompositionPlan& plan = l.Deco.Compose(W, H);
        const TBitmap32& buf = l.Deco.Buffer();
        ASSERT_EQ(buf.Width(), W);
        ASSERT_EQ(buf.Height(), H);
        EXPECT_EQ(plan.InsatallPages.Left, 320);
        int bad = 0;
        for (int y = 0; y < 66; ++y)
            for (int x = 0; x < 500; ++x)
                if (At(buf, (W - 500) / 2 + x, 20 + y) != At(title, x, y)) ++bad;
        for (int y = 0; y < 95; ++y) {
            for (int x = 0; x < 22; ++x)
                if (At(buf, W - 22 + x, y) != At(right, x, y)) ++bad;
            if (At(buf, W - 23, y) != At(middle, 0, y)) ++bad;
        }
        for (int x = 0; x < std::min(W, 955); ++x)
            if (At(buf, x, 300) != At(panels, x + 3, 205)) ++bad;
        for (int x = 0; x < W; ++x)
            if (At(buf, x, H - 1) != At(tile, x % 128, (H - 1) % 128)) ++bad;
        EXPECT_EQ(bad, 0);
    }
}

TEST(Decoration, InformationDocumentLoadsIntoTheRichEdit) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 500, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent);
    HWND panel = CreateInfoPanel(parent, 101, GetModuleHandleW(nullptr));
    ASSERT_TRUE(panel);
    LoadInfo(panel, GetModuleHandleW(nullptr));

    GETTEXTLENGTHEX len = {GTL_DEFAULT, 1200};
    const LRESULT n = SendMessageW(panel, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageW(panel, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    EXPECT_NE(text.find(L"Велитор - Vudeze"), std::wstring::npos);
    EXPECT_NE(text.find(L"Комплекс суточного мониторирования электрокардиограмм"), std::wstring::npos);
    EXPECT_EQ(text.find(L"\\rtf"), std::wstring::npos) << "loaded as plain text";
    EXPECT_TRUE(GetWindowLongW(panel, GWL_STYLE) & ES_READONLY);

    // 4 px inner margin on every side.
    RECT client, format;
    GetClientRect(panel, &client);
    SendMessageW(panel, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.left - client.left, 4);
    EXPECT_EQ(format.top - client.top, 4);

    EXPECT_THROW(LoadInfo(nullptr, GetModuleHandleW(nullptr)), EAppError);
    DestroyWindow(parent);
}

namespace {

std::wstring PanelText(HWND panel) {
    GETTEXTLENGTHEX len = {GTL_DEFAULT, 1200};
    const LRESULT n = SendMessageW(panel, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageW(panel, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

}  // namespace

TEST(Decoration, InformationDocumentStreamsInFromItsTop) {
    const HMODULE self = GetModuleHandleW(nullptr);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 500, nullptr, nullptr, self, nullptr);
    ASSERT_TRUE(parent);
    HWND panel = CreateInfoPanel(parent, 101, self);
    ASSERT_TRUE(panel);

    // A missing panel or document is an error at the window's creation,
    // before anything is streamed in.
    EXPECT_THROW(LoadInfo(nullptr, self), EAppError);
    EXPECT_THROW(CheckInfoDocument(GetModuleHandleW(L"kernel32.dll")), EAppError);
    EXPECT_EQ(PanelText(panel), L"");

    LoadInfo(panel, self);
    EXPECT_NE(PanelText(panel).find(L"Велитор - Vudeze"), std::wstring::npos);
    DWORD start = 1, end = 1;
    SendMessageW(panel, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(SendMessageW(panel, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    DestroyWindow(parent);
}

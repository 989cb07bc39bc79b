// Fuzz program for the render engine's two parsers: image descriptions (parsed, and drawn when
// they name a fixture picture) and formatted text (measured and drawn with several styles).
// Inputs are mutated from the fixture strings below and end at a no-access page, so that a read
// past the text's terminator stops the run; a crash or a trap ends the process with a failure
// code, which fails the CTest test "ui_render_fuzz".
//
// CTest runs it with a small budget. For a longer run by hand, from the build folder:
//   VEXO_BINARY_DIR=$PWD VEXO_FUZZ_SECONDS=600 xvfb-run -a ../main/scripts/wine-run.sh
//       tests/ui/render/render_fuzz.exe          (one command line)
// (VEXO_FUZZ_SEED replays a run; VEXO_FUZZ_SAVE_LAST=file keeps the input being run.)

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/common/FuzzLoop.h"
#include "tests/common/GuardedBuffer.h"
#include "tests/ui/render/RenderTestSupport.h"
#include "ui/core/base/UIString.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/render/ImageSpec.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;

namespace {

const char* const kDescriptions[] = {
    "bg.png", "file='coords.png' source='0,60,30,90'", "file='solid.png' fade='229'",
    "file='nine.png' corner='4,4,4,4' hole='true'",
    "file='coords.png' source='0,0,7,5' xtiled='true' ytiled='true'",
    "file='solid.png'  dest='1,1,10,10' mask='#FF336699'", "res='146' restype='PNG'",
    "file='coords.png' source='0, 0, 500, 500' corner='2,2,2,2' fade='100'",
};

const char* const kFormattedTexts[] = {
    "a<b>b</b>c", "<c #FF0000>red</c>", "<{>x<}>{<}{>}", "go <a http://x>here</a> now",
    "<f 0>zero</f><f Arial 12 bold italic>face</f>", "<i frames.png 3 1> picture",
    "<i file='frames.png' 3 2>", "<p 5>para</p><n>line<y 30>tall", "<r>raw <b> text</r> after",
    "<s>sel</s> <u>under</u> <x 10>moved", "{a link}braces{/a} {b}bold{/b}",
    "long text that wraps onto several lines with words", "\xe4\xb8\xad mixed\r\nlines",
};

const char* const kTokens[] = {
    "<b>", "</b>", "<a ", "</a>", "<c #", "{c ", "<f ", "</f>", "<i ", "<n>", "<p ", "<r>", "</r>",
    "<s>", "<x ", "<y ", "<{>", "{>}", "file='", "source='", "corner='", "dest='", "fade='", "'",
    " ", ",", "99999999999", "-2147483648", "#FF", "frames.png", "coords.png", "true",
};

std::vector<vexo_fuzz::Bytes> Corpus(const char* const* texts, size_t count) {
    std::vector<vexo_fuzz::Bytes> corpus;
    for (size_t i = 0; i < count; ++i) corpus.push_back(vexo_fuzz::ToBytes(texts[i]));
    return corpus;
}

// Each byte is one character, so tag and pair syntax survive mutation; network-style paths
// ("\\host", "//host") are broken up so picture lookups stay on local files.
std::wstring AsText(const vexo_fuzz::Bytes& data) {
    std::wstring text(data.begin(), data.end());
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const bool slash = text[i] == L'\\' || text[i] == L'/';
        if (slash && (text[i + 1] == L'\\' || text[i + 1] == L'/')) text[i + 1] = L'_';
    }
    return text;
}

bool IsFixturePicture(const CUIString& name) {
    for (const wchar_t* fixture : {L"coords.png", L"solid.png", L"nine.png", L"frames.png"}) {
        if (name == fixture) return true;
    }
    return false;
}

class CFuzzTargets {
public:
    // One manager for the whole run: the fonts hostile tags make are bounded per manager.
    CFuzzTargets() : m_canvas(96, 48), m_manager(std::make_unique<CWindowManagerUI>()) {
        m_manager->SetDefaultFont(L"\u5FAE\u8F6F\u96C5\u9ED1", 14, false, false, false);
    }

    void Description(const vexo_fuzz::Bytes& data) {
        const testguard::CGuardedBuffer text(AsText(data));
        TImageSpec spec;
        TImageSource source;
        ParseImageDescription(text.Text(), spec, source);
        if (!IsFixturePicture(source.name)) return;
        spec.Reset(text.Text());
        for (const RECT& control : {RECT{0, 0, 96, 48}, RECT{10, 5, 40, 30}}) {
            CUIRender::DrawImageSpec(m_canvas.DC(), m_manager.get(), control, m_canvas.Rect(), spec);
            CUIRender::DrawImageSpec(m_canvas.DC(), m_manager.get(), control, RECT{20, 10, 30, 20},
                                     spec, 30);
        }
    }

    void Formatted(const vexo_fuzz::Bytes& data) {
        const testguard::CGuardedBuffer text(AsText(data));
        static const UINT kStyles[] = {DT_WORDBREAK, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER,
                                       DT_VCENTER | DT_RIGHT, DT_CALCRECT | DT_WORDBREAK};
        for (UINT style : kStyles) {
            RECT rc{2, 2, 90, 46};
            int links = 3;
            CUIRender::DrawFormattedText(m_canvas.DC(), m_manager.get(), rc, text.Text(),
                                         0xFF000000, m_linkRects, m_linkTexts, links, style);
            if (links < 0 || links > 3) Fail("link count out of range");
        }
    }

private:
    static void Fail(const char* what) {
        std::printf("render_fuzz: %s\n", what);
        std::fflush(stdout);
        ::ExitProcess(2);
    }

    RenderTest::CCanvas m_canvas;
    std::unique_ptr<CWindowManagerUI> m_manager;
    RECT m_linkRects[3] = {};
    CUIString m_linkTexts[3];
};

}  // namespace

int main() {
    RenderTest::PreparePictures();
    std::vector<vexo_fuzz::Bytes> dictionary = Corpus(kTokens, std::size(kTokens));
    CFuzzTargets targets;
    vexo_fuzz::TFuzzOptions descriptionOptions = vexo_fuzz::OptionsFromEnvironment(4000, 8.0);
    descriptionOptions.maxSize = 1024;
    vexo_fuzz::RunFuzzLoop("image description", Corpus(kDescriptions, std::size(kDescriptions)),
                           descriptionOptions,
                           [&](const vexo_fuzz::Bytes& data) { targets.Description(data); },
                           dictionary);
    vexo_fuzz::TFuzzOptions textOptions = vexo_fuzz::OptionsFromEnvironment(3000, 12.0);
    textOptions.maxSize = 4096;
    vexo_fuzz::RunFuzzLoop("formatted text", Corpus(kFormattedTexts, std::size(kFormattedTexts)),
                           textOptions,
                           [&](const vexo_fuzz::Bytes& data) { targets.Formatted(data); },
                           dictionary);
    std::printf("render_fuzz: no crash\n");
    return 0;
}

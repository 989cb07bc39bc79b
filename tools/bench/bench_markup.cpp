// Markup parsing throughput: the skin markup parser (CSkinXml) beside pugixml on the same large
// generated skin document, in the same process. Prints MB/s (of the document's UTF-8 size) for:
//   skin Load        wide text in memory: copy + in-place parse
//   skin FromBytes   UTF-8 bytes: conversion to UTF-16 + parse (what loading a skin file does)
//   skin inplace     wide text: parse in place (ParseInPlace on a fresh copy)
//   pugixml buffer   UTF-8 bytes: copy + parse (load_buffer)
//   pugixml inplace  UTF-8 bytes: parse in place (load_buffer_inplace on a fresh copy)
// Each figure is the best of several runs. Then both in-place parses on a skin file (the
// installer's own when scripts/bench.sh runs it), each parse timed alone over many repeats.
// Usage: bench_markup [megabytes] [runs] [skin markup file].

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pugixml.hpp"
#include "tools/bench/BenchClock.h"
#include "ui/core/skin/SkinXml.h"

namespace {

// A skin-like document: layouts with nested buttons, labels and fonts, attribute-heavy like
// the real skins, with some entities and text.
std::string MakeDocument(size_t targetBytes) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Window size=\"980,600\" caption=\"0,0,0,40\" "
                      "roundcorner=\"3,3\" showshadow=\"true\" shadowsize=\"4\">\n";
    for (int id = 0; id < 5; ++id)
        doc += "  <Font id=\"" + std::to_string(id) + "\" name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"" +
               std::to_string(12 + id) + "\" bold=\"false\"/>\n";
    int n = 0;
    while (doc.size() < targetBytes) {
        std::string i = std::to_string(n++);
        doc += "  <VerticalLayout name=\"panel" + i + "\" bkcolor=\"#FF1E1E1E\" padding=\"10,10,10,10\" childpadding=\"4\">\n"
               "    <HorizontalLayout height=\"40\" bkimage=\"file='bgTitle.png' fade='229'\">\n"
               "      <Control width=\"16\"/>\n"
               "      <Label name=\"title" + i + "\" text=\"Title &amp; caption " + i + "\" textcolor=\"#FFFFFFFF\" font=\"2\" "
               "align=\"left\"/>\n"
               "      <Button name=\"closebtn\" width=\"30\" height=\"30\" normalimage=\"file='Close.png' source='0,0,30,30'\" "
               "hotimage=\"file='Close.png' source='0,30,30,60'\" pushedimage=\"file='Close.png' source='0,60,30,90'\" "
               "tooltip=\"&lt;close&gt;\"/>\n"
               "    </HorizontalLayout>\n"
               "    <Text name=\"body" + i + "\">Some body text for panel " + i + ", with \"quotes\" and more words.</Text>\n"
               "    <Progress name=\"progress" + i + "\" min=\"0\" max=\"100\" value=\"42\" foreimage=\"file='bar.png' "
               "corner='4,4,4,4'\"/>\n"
               "  </VerticalLayout>\n";
    }
    doc += "</Window>\n";
    return doc;
}

std::wstring Widen(const std::string& utf8) {
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

// Best time of runs calls of work (work returns an element count for a sanity check).
template <class Work>
double Best(int runs, Work work, size_t* elements) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        double start = BenchSeconds();
        *elements = work();
        double elapsed = BenchSeconds() - start;
        if (elapsed < best) best = elapsed;
    }
    return best;
}

size_t CountSkin(SkinUI::CSkinXml& xml) { return xml.ElementCount() > 0 ? xml.ElementCount() - 1 : 0; }

size_t CountPugi(const pugi::xml_node& node) {
    size_t count = 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element) count += 1 + CountPugi(child);
    return count;
}

void Report(const char* name, double seconds, size_t bytes, size_t elements) {
    std::printf("%-18s %8.1f MB/s  %8.2f ms  %zu elements\n", name, static_cast<double>(bytes) / 1e6 / seconds,
                seconds * 1e3, elements);
}

std::string ReadFile(const char* path) {
    std::string bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

// Seconds of repeats parses of the text, each parse timed alone on a fresh copy (the copy is
// not counted); the best of runs such sums.
template <class Text, class Parse>
double InPlaceSeconds(const Text& text, int runs, int repeats, Parse parse) {
    double best = 1e30;
    Text copy;
    for (int run = 0; run < runs; ++run) {
        double sum = 0;
        for (int i = 0; i < repeats; ++i) {
            copy = text;
            const double start = BenchSeconds();
            parse(copy);
            sum += BenchSeconds() - start;
        }
        best = std::min(best, sum);
    }
    return best;
}

void CompareOnSkin(const char* path, int runs) {
    std::string utf8 = ReadFile(path);
    if (utf8.size() >= 3 && utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    if (utf8.empty()) {
        std::printf("skin file %s: not read\n", path);
        return;
    }
    const std::wstring wide = Widen(utf8);
    constexpr int kRepeats = 2000;
    SkinUI::CSkinXml xml;
    pugi::xml_document doc;
    const double skin = InPlaceSeconds(wide, runs, kRepeats, [&](std::wstring& copy) {
        xml.ParseInPlace(&copy[0], copy.size());
    });
    const double pugi = InPlaceSeconds(utf8, runs, kRepeats, [&](std::string& copy) {
        doc.load_buffer_inplace(&copy[0], copy.size());
    });
    std::printf("skin file: %zu bytes, %d parses of each, best of %d runs\n", utf8.size(), kRepeats, runs);
    Report("skin inplace", skin / kRepeats, utf8.size(), CountSkin(xml));
    Report("pugixml inplace", pugi / kRepeats, utf8.size(), CountPugi(doc));
    std::printf("skin inplace / pugixml inplace     %6.2fx  (goal >= 1x: %s)\n", pugi / skin,
                pugi >= skin ? "met" : "not met");
}

}  // namespace

int main(int argc, char** argv) {
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
    int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    std::string utf8 = MakeDocument(megabytes * 1000 * 1000);
    std::wstring wide = Widen(utf8);
    std::printf("document: %.2f MB UTF-8 (%zu characters), best of %d runs\n", utf8.size() / 1e6, wide.size(), runs);

    size_t elements = 0;
    SkinUI::CSkinXml xml;
    double t = Best(runs, [&] { return xml.Load(wide.c_str()) ? CountSkin(xml) : 0; }, &elements);
    Report("skin Load", t, utf8.size(), elements);
    t = Best(runs, [&] {
        return xml.LoadFromBytes(utf8.data(), static_cast<DWORD>(utf8.size()), SkinUI::CSkinXml::kUtf8) ? CountSkin(xml) : 0;
    }, &elements);
    Report("skin FromBytes", t, utf8.size(), elements);
    std::wstring wideCopy;
    double skinInPlace = 1e30;
    for (int run = 0; run < runs; ++run) {
        wideCopy = wide;
        double start = BenchSeconds();
        bool ok = xml.ParseInPlace(&wideCopy[0], wideCopy.size());
        double elapsed = BenchSeconds() - start;
        if (elapsed < skinInPlace) skinInPlace = elapsed;
        elements = ok ? CountSkin(xml) : 0;
    }
    Report("skin inplace", skinInPlace, utf8.size(), elements);
    xml.Release();

    pugi::xml_document doc;
    t = Best(runs, [&] {
        return doc.load_buffer(utf8.data(), utf8.size()) ? CountPugi(doc) : 0;
    }, &elements);
    Report("pugixml buffer", t, utf8.size(), elements);
    std::vector<char> copy;
    double inplaceBest = 1e30;
    for (int run = 0; run < runs; ++run) {
        copy.assign(utf8.begin(), utf8.end());
        double start = BenchSeconds();
        bool ok = static_cast<bool>(doc.load_buffer_inplace(copy.data(), copy.size()));
        double elapsed = BenchSeconds() - start;
        if (elapsed < inplaceBest) inplaceBest = elapsed;
        elements = ok ? CountPugi(doc) : 0;
    }
    Report("pugixml inplace", inplaceBest, utf8.size(), elements);
    const double ratio = inplaceBest / skinInPlace;  // throughputs: the inverse of the times
    std::printf("skin inplace / pugixml inplace     %6.2fx  (goal >= 1x: %s)\n", ratio,
                ratio >= 1.0 ? "met" : "not met");
    if (argc > 3) CompareOnSkin(argv[3], runs);
    return 0;
}

#pragma once
// The installer's own user-visible texts. They live in the skin's string tables
// (strings.<language>.xml) beside the markup's texts, under these ids; the window base loads the
// table of the user's language when it builds the window.

#include <string>

enum class EAppText {
    kInstallingStatus = 4,   // 正在安装，请稍等...
    kDownloadingStatus = 5,  // 正在下载，请稍等...
    kTitle = 6,              // the window's title without a game name
    kTitleWithGame = 7,      // the title; "{game}" stands for the game's name
    kAddressQueryFailed = 20,
    kNoAddress = 21,
    kDownloadFailed = 22,
    kVerifyFailed = 23,
    kInsecureAddress = 24,
    kClientMissing = 25,
    kCouldNotStart = 26,
    kInstallerUnsigned = 27,
    kInstallerBadSignature = 28,
    kInstallerOtherPublisher = 29,
};

constexpr EAppText kAppTexts[] = {
    EAppText::kInstallingStatus, EAppText::kDownloadingStatus, EAppText::kTitle,
    EAppText::kTitleWithGame,    EAppText::kAddressQueryFailed, EAppText::kNoAddress,
    EAppText::kDownloadFailed,   EAppText::kVerifyFailed,       EAppText::kInsecureAddress,
    EAppText::kClientMissing,    EAppText::kCouldNotStart,      EAppText::kInstallerUnsigned,
    EAppText::kInstallerBadSignature, EAppText::kInstallerOtherPublisher};

// The text of the loaded string table; empty when the table has none.
std::wstring AppText(EAppText id);

// The text with every "{name}" replaced by value (the replacement is not scanned again).
std::wstring FillTextField(std::wstring text, const std::wstring& name, const std::wstring& value);

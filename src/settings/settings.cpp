#include "settings/settings.h"

#include <string_view>

#include "clock/countdown.h"
#include "settings/number_text.h"

int32_t FontColorSetting = 0;

namespace {

constexpr wchar_t kFileName[] = L"Configuracion.ini";

// The value buffer of the profile reader, terminating zero included.
constexpr DWORD kValueBufferSize = 260;

// A value read from the file as 8-bit text. Numbers are plain ASCII, so every
// other character becomes one that ends a number, never a digit, sign or
// suffix that a code-page best-fit mapping might make of it.
using ValueText = std::array<char, kValueBufferSize>;

ValueText ReadValue(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                    const wchar_t* configPath)
{
    wchar_t wide[kValueBufferSize];
    if (configPath)
        GetPrivateProfileStringW(section, key, defaultText, wide, kValueBufferSize, configPath);
    else
        lstrcpynW(wide, defaultText, kValueBufferSize);
    ValueText text{};
    for (std::size_t i = 0; i < text.size() - 1 && wide[i] != L'\0'; ++i)
        text[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '\x7f';
    return text;
}

double ReadNumber(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                  const wchar_t* configPath)
{
    return ParseNumber(ReadValue(section, key, defaultText, configPath).data());
}

void WriteNumber(const wchar_t* section, const wchar_t* key, int32_t value, const wchar_t* configPath)
{
    const NumberText text = FormatNumber(value);
    wchar_t wide[kValueBufferSize]{};
    for (std::size_t i = 0; text[i] != '\0'; ++i)
        wide[i] = static_cast<unsigned char>(text[i]);
    WritePrivateProfileStringW(section, key, wide, configPath);
}

// With no path the defaults are loaded, as from a file that cannot be read.
void LoadSettings(const wchar_t* configPath)
{
    RemainingTime.hours = ToTimeField(ReadNumber(L"Tiempo", L"Horas", L"00", configPath), 99);
    RemainingTime.minutes = ToTimeField(ReadNumber(L"Tiempo", L"Minutos", L"30", configPath), 59);
    RemainingTime.seconds = ToTimeField(ReadNumber(L"Tiempo", L"Segundos", L"00", configPath), 59);
    FontColorSetting = ToColorValue(ReadNumber(L"Color", L"Fuente", L"255", configPath));
}

void SaveSettings(const wchar_t* configPath)
{
    WriteNumber(L"Tiempo", L"Horas", RemainingTime.hours, configPath);
    WriteNumber(L"Tiempo", L"Minutos", RemainingTime.minutes, configPath);
    WriteNumber(L"Tiempo", L"Segundos", RemainingTime.seconds, configPath);
    WriteNumber(L"Color", L"Fuente", FontColorSetting, configPath);
}

} // namespace

bool MakeConfigPath(ConfigPathBuffer& configPath)
{
    configPath[0] = L'\0';
    // A module path that does not fit this buffer has a folder too long for
    // MAX_PATH anyway, as a file name holds at most 255 units.
    constexpr DWORD kModuleBufferSize = MAX_PATH + 256;
    wchar_t modulePath[kModuleBufferSize];
    const DWORD length = GetModuleFileNameW(nullptr, modulePath, kModuleBufferSize);
    if (length == 0 || length >= kModuleBufferSize)
        return false;
    std::size_t folderLength = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (modulePath[i] == L'\\')
            folderLength = i + 1;
    }
    constexpr std::size_t nameLength = sizeof kFileName / sizeof kFileName[0] - 1;
    if (folderLength + nameLength >= MAX_PATH)
        return false;
    for (std::size_t i = 0; i < folderLength; ++i)
        configPath[i] = modulePath[i];
    for (std::size_t i = 0; i <= nameLength; ++i)
        configPath[folderLength + i] = kFileName[i];
    return true;
}

void AccessSettings(const char* action)
{
    const std::string_view requested = action;
    ConfigPathBuffer configPath;
    const bool havePath = MakeConfigPath(configPath);
    if (requested == "get")
        LoadSettings(havePath ? configPath : nullptr);
    if (requested == "save" && havePath)
        SaveSettings(configPath);
}

bool FileExists(const wchar_t* path)
{
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'*' || *c == L'?')
            return false;
    }
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void LoadSettingsAtStart()
{
    AccessSettings("get");
    ShowRemainingTime();
    ConfigPathBuffer configPath;
    if (MakeConfigPath(configPath) && !FileExists(configPath))
        AccessSettings("save");
}

// The settings file "Configuracion.ini" beside the executable: the start time
// of the countdown and a colour value, loaded with defaults and limits, and
// written once when the file is missing at start.
#pragma once

#include <windows.h>

#include <cstdint>

// Key "Fuente" of section "Color": loaded and saved, shown nowhere.
extern int32_t FontColorSetting;

// Paths of the settings file fit MAX_PATH UTF-16 units with the terminating zero.
using ConfigPathBuffer = wchar_t[MAX_PATH];

// The executable's folder followed by "Configuracion.ini". False, and no path,
// when the full path does not fit: the program then uses no file at all
// rather than one at a cut path.
bool MakeConfigPath(ConfigPathBuffer& configPath);

// "get" loads RemainingTime and FontColorSetting from the file, "save" writes
// them; any other text does nothing. The match is exact and case-sensitive.
void AccessSettings(const char* action);

// True when the file system has a file or folder at path. Wildcards never match.
bool FileExists(const wchar_t* path);

// Loads and shows the start time, then creates the file when it is missing.
void LoadSettingsAtStart();

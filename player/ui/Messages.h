#pragma once

#include <cstdint>
#include <string>

// The message table: the texts shown to the user in plain message boxes.
inline constexpr const char* lbMessages[4] = {
    "В текущей версии не поддерживается данный видео режим.",
    "Файл %s занят другим приложением или содержит атрибут \"только для чтения\".",
    "LoadFromFile: Не могу создать файл temp.ekcab.",
    "Данный формат файла не поддерживается",
};

// A packaged movie's cabinet could not be copied out whole: what happened,
// a full disk in its own words.
std::string TempCabinetNotWrittenText(uint32_t systemError);

#pragma once

// The message table: the texts shown to the user in plain message boxes.
inline constexpr const char* lbMessages[4] = {
    "В текущей версии не поддерживается данный видео режим.",
    "Файл %s занят другим приложением или содержит атрибут \"только для чтения\".",
    "LoadFromFile: Не могу создать файл temp.ekcab.",
    "Данный формат файла не поддерживается",
};

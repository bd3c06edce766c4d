// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartMessages.h"

#include "app/GameFolder.h"
#include "gfx/Font.h"
#include "gfx/ImagePack.h"

namespace gw::app {

std::string SecondCopyMessage(const std::filesystem::path& tableFolder) {
  return "Игра уже запущена с рекордами из папки\n" + tableFolder.string() +
         ".\nИграйте в её окне или сначала закройте её.";
}

std::string CannotWatchMessage(const std::filesystem::path& file) {
  std::error_code ec;
  const std::string what = std::filesystem::exists(file, ec)
                               ? "Файл повреждён, слишком велик, записан другой версией игры\nили не содержит целой игры."
                               : "Такого файла нет.";
  return "Запись игры\n" + file.string() + "\nнельзя показать.\n" + what + "\nПодробности выведены в консоль.";
}

std::string CannotRunMessage(const std::exception& reason) {
  std::string what;
  if (dynamic_cast<const NoPlayerFolderError*>(&reason)) {
    // The installation is whole: the player's own account lacks a home, which reinstalling would not mend.
#ifdef _WIN32
    return "Игру нельзя запустить.\nWindows не называет папку для настроек и рекордов игрока (APPDATA).\n"
           "Подробности выведены в консоль.";
#else
    return "Игру нельзя запустить.\nНекуда сохранять настройки и рекорды: не заданы ни HOME, ни XDG_DATA_HOME,\n"
           "а у пользователя нет домашней папки. Задайте HOME и запустите игру снова.\n"
           "Подробности выведены в консоль.";
#endif
  }
  if (dynamic_cast<const gfx::PackError*>(&reason)) {
    what = std::string("Файл с картинками ") + gfx::kPackPath + " повреждён или не от этой игры.";
  } else if (dynamic_cast<const GameFolderError*>(&reason)) {
    what = std::string("Не найдены файлы игры (") + gfx::kPackPath + ").";
  } else if (dynamic_cast<const gfx::FontError*>(&reason)) {
    what = "Не найден шрифт для текстов игры.";
  } else {
    what = "Не удалось открыть окно игры или её звук.";
  }
  return "Игру нельзя запустить.\n" + what + "\nПереустановите игру. Подробности выведены в консоль.";
}

}  // namespace gw::app

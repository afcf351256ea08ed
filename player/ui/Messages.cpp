#include "Messages.h"

#include "Win32Error.h"

std::string TempCabinetNotWrittenText(uint32_t systemError) {
  const std::string reason = systemError == platform::ERROR_DISK_FULL ? std::string("на диске нет места")
                                                                      : platform::SysErrorMessage(systemError);
  return "LoadFromFile: Не могу записать файл temp.ekcab: " + reason + ".";
}

#include "platform/SerialDeviceMap.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// USB and modem-class adapters first: the cable a calculator user plugs in
// is COM1 on most machines.
constexpr const char* kFamilies[] = {"ttyUSB", "ttyACM", "ttyS", "ttyAMA", "rfcomm"};

struct Directories {
  std::string dev = "/dev";
  std::string sysTty = "/sys/class/tty";
};

Directories& directories() {
  static Directories d;
  return d;
}

// The number after the family prefix; -1 when the rest is not all digits.
long deviceIndex(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  const std::string rest = name.substr(prefix.size());
  if (rest.size() > 6 || !std::all_of(rest.begin(), rest.end(), [](unsigned char c) { return std::isdigit(c); }))
    return -1;
  return std::strtol(rest.c_str(), nullptr, 10);
}

// An on-board port whose UART type reads 0 has no hardware behind it.
bool hasUart(const std::string& sysTtyDir, const std::string& name) {
  std::ifstream in(sysTtyDir + "/" + name + "/type");
  int type = -1;
  if (!(in >> type)) return true;  // no sysfs entry to ask: keep the port
  return type != 0;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& devDir, const std::string& sysTtyDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> result;
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  for (const std::string prefix : kFamilies) {
    std::vector<std::pair<long, std::string>> family;
    for (const std::string& name : names) {
      const long index = deviceIndex(name, prefix);
      if (index < 0) continue;
      if (prefix == "ttyS" && !hasUart(sysTtyDir, name)) continue;
      family.emplace_back(index, name);
    }
    std::sort(family.begin(), family.end());
    for (const auto& [index, name] : family) result.push_back(devDir + "/" + name);
  }
  return result;
}

std::string DefaultSerialDeviceForPort(UINT port) {
  if (port == 0) return {};
  const std::vector<std::string> devices = ListSerialDevices(directories().dev, directories().sysTty);
  return port <= devices.size() ? devices[port - 1] : std::string();
}

void SetSerialDeviceDirectories(const std::string& devDir, const std::string& sysTtyDir) {
  directories() = Directories{};
  if (!devDir.empty()) directories().dev = devDir;
  if (!sysTtyDir.empty()) directories().sysTty = sysTtyDir;
}

std::string SerialDeviceProfileKey(UINT port) { return "COM" + std::to_string(port); }

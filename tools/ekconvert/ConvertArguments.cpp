#include "ConvertArguments.h"

#include <filesystem>

#include "VideoWriter.h"

TConvertArguments ParseArguments(int argc, const char* const* argv) {
  TConvertArguments a;
  if (argc < 2) throw TUsageError{"no command"};
  a.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json" && (a.command == "info" || a.command == "rescue" || a.command == "text" ||
                            a.command == "search")) {
      a.json = true;
    } else if (arg == "--no-cursor" && a.command != "info" && a.command != "rescue" && a.command != "text" &&
               a.command != "search") {
      a.noCursor = true;
    } else if (arg == "--salvage" && a.command != "rescue" && a.command != "text" && a.command != "search") {
      a.salvage = true;
    } else if (arg == "--lossless" && a.command == "video") {
      a.lossless = true;
    } else if (arg == "--segment" && (a.command == "frames" || a.command == "video") && i + 1 < argc) {
      const std::string n = argv[++i];
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || n.size() > 6 || std::stoi(n) < 1)
        throw TUsageError{"--segment takes a segment number from 1"};
      a.segment = std::stoi(n);
    } else if ((arg == "--from" || arg == "--to") && (a.command == "frames" || a.command == "video") && i + 1 < argc) {
      const auto point = ParseFramePoint(argv[++i]);
      if (!point) throw TUsageError{arg + " takes a frame number from 1 or a time hh:mm:ss.zzz"};
      (arg == "--from" ? a.from : a.to) = point;
    } else if (arg == "--size" && a.command == "thumbnail" && i + 1 < argc) {
      const std::string n = argv[++i];
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || n.size() > 5 || std::stoi(n) < 1)
        throw TUsageError{"--size takes a number of pixels from 1"};
      a.size = std::stoi(n);
    } else if (arg == "--jobs" && a.command == "search" && i + 1 < argc) {
      const std::string n = argv[++i];
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || n.size() > 3 || std::stoi(n) < 1)
        throw TUsageError{"--jobs takes a number of movies from 1"};
      a.jobs = std::stoi(n);
    } else if (arg.rfind("--", 0) == 0) {
      throw TUsageError{"unknown option " + arg};
    } else {
      a.positional.push_back(arg);
    }
  }
  // A video without a name goes beside the movie, named after it.
  if (a.command == "video" && a.positional.size() == 1)
    a.positional.push_back(std::filesystem::path(a.positional[0]).replace_extension(".mp4").string());
  const size_t wanted = a.command == "info" || a.command == "text" ? 1 : a.command == "frame" ? 3 : 2;
  const bool known = a.command == "info" || a.command == "frames" || a.command == "video" || a.command == "frame" ||
                     a.command == "thumbnail" || a.command == "rescue" || a.command == "text" || a.command == "search";
  // A search takes its query and one path or more.
  if (!known || (a.command == "search" ? a.positional.size() < wanted : a.positional.size() != wanted))
    throw TUsageError{"wrong arguments for " + a.command};
  if (a.command == "frame" && !ParseFramePoint(a.positional[1]))
    throw TUsageError{"the moment must be a frame number from 1 or a time hh:mm:ss.zzz"};
  if (a.command == "video" && !TVideoWriter::KnownExtension(a.positional[1]))
    throw TUsageError{"the output must end in .mp4, .mkv, .webm or .gif"};
  if (a.command == "rescue" && std::filesystem::path(a.positional[1]).extension() != ".ekcab")
    throw TUsageError{"the repaired movie must end in .ekcab"};
  if (a.lossless && !TVideoWriter::LosslessExtension(a.positional[1]))
    throw TUsageError{"--lossless needs an .mkv or .mp4 output"};
  return a;
}

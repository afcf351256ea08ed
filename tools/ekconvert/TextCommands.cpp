#include "TextCommands.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "DurationText.h"
#include "Exception.h"
#include "Files.h"
#include "IndexLock.h"
#include "JsonText.h"
#include "MovieFiles.h"
#include "MovieKey.h"
#include "MovieSource.h"
#include "PackagedMovie.h"
#include "SegInfo.h"
#include "TextCache.h"
#include "TextCacheFolder.h"
#include "TextIndexer.h"
#include "TextRecognizer.h"
#include "TextSearch.h"

extern char** environ;

namespace {

// A file name found in a folder, or text read off a hostile picture, as one
// field of a line: control characters, which could end the line or drive
// the terminal, are shown as '?'.
std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return text;
}

std::string TimeOf(const TSegmentText& segment, int32_t frame) {
  return DurationText(frame, static_cast<uint8_t>(KnownFrameRate(segment.frameRate)));
}

// Reads the movie's text into its cache unless someone did already.
std::unique_ptr<TTextCache> ReadText(const std::string& file, const std::string& folder, const std::string& key) {
  if (auto cache = TTextCache::OpenToRead(folder, key); cache && cache->Complete()) return cache;
  const TIndexLock lock(folder, key, true);
  TTextCache cache(folder, key);
  if (!cache.Complete()) {
    TMovieSource source(file);
    TTextRecognizer recognizer;
    // On a terminal only: a program that reads the lines, or the search's own readings, needs none.
    const bool shown = ::isatty(1) && ::isatty(2);
    IndexMovieText(
        source.Playback(), cache, [&](const TGrayPicture& p, const TTextBox& a) { return recognizer.Read(p, a); },
        [&](int64_t read, int64_t total) {
          if (shown && total > 0)
            std::fprintf(stderr, "\rekconvert: reading the text of %s: %lld %%", Printable(file).c_str(),
                         static_cast<long long>(read * 100 / total));
        });
    if (shown) std::fprintf(stderr, "\n");
  }
  return TTextCache::OpenToRead(folder, key);
}

// Worded as the other commands word a missing file.
std::string KeyOfMovie(TMovieKeys& keys, const std::string& file) {
  if (!platform::FileExists(file)) throw platform::Exception("no such file");
  return keys.KeyOf(file);
}

std::unique_ptr<TTextCache> CacheOf(const std::string& file, TMovieKeys& keys, const std::string& folder) {
  auto cache = ReadText(file, folder, KeyOfMovie(keys, file));
  if (!cache) throw platform::Exception("the text cache can't be read");
  return cache;
}

std::string LineJson(const TTextLine& line, const TSegmentText& segment) {
  const double rate = KnownFrameRate(segment.frameRate);
  char times[96];
  std::snprintf(times, sizeof times, "\"start\": %.3f, \"end\": %.3f", line.firstFrame / rate,
                (line.lastFrame + 1) / rate);
  return "{\"segment\": " + std::to_string(line.segment + 1) + ", \"first_frame\": " +
         std::to_string(line.firstFrame + 1) + ", \"last_frame\": " + std::to_string(line.lastFrame + 1) + ", " +
         times + ", \"box\": [" + std::to_string(line.box.x) + ", " + std::to_string(line.box.y) + ", " +
         std::to_string(line.box.width) + ", " + std::to_string(line.box.height) + "], \"text\": " +
         JsonString(line.text) + "}";
}

bool IsMovieName(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  return extension == ".ekcab" || IsPackagedMovie(path.string()) || IsBareMovie(path.string());
}

// The files named, and the movies in the folders named, at any depth.
std::vector<std::string> MovieFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    for (auto it = std::filesystem::recursive_directory_iterator(
             path, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
      if (it->is_regular_file(error) && IsMovieName(it->path())) found.push_back(it->path().string());
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

// Reads the text of the movies, `jobs` at a time, each in a program of its
// own: a movie that can't be read says so and the others go on.
void ReadTextOfEach(const std::vector<std::string>& files, int jobs) {
  if (files.empty()) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const bool shown = ::isatty(2);
  size_t next = 0, done = 0;
  int running = 0;
  while (done < files.size()) {
    while (running < jobs && next < files.size()) {
      std::string program = "/proc/self/exe", command = "text", file = files[next++];
      char* argv[] = {program.data(), command.data(), file.data(), nullptr};
      pid_t pid = 0;
      if (posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ) == 0) {
        ++running;
      } else {
        std::fprintf(stderr, "ekconvert: %s: can't start reading its text\n", Printable(file).c_str());
        ++done;
      }
    }
    int status = 0;
    if (::wait(&status) < 0) break;
    --running;
    ++done;
    if (shown) std::fprintf(stderr, "ekconvert: read %zu of %zu movies\n", done, files.size());
  }
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

int PrintMovieText(const std::string& file, bool json) {
  try {
    const std::string folder = TextCacheFolder();
    TMovieKeys keys(folder);
    const auto cache = CacheOf(file, keys, folder);
    const std::vector<TSegmentText> segments = cache->Segments();
    std::string lines;
    for (const TTextLine& line : cache->Lines()) {
      const TSegmentText& s = segments[static_cast<size_t>(line.segment)];
      if (json) {
        lines += (lines.empty() ? "" : ", ") + LineJson(line, s);
      } else {
        std::printf("%d\t%s\t%s\t%d,%d %dx%d\t%s\n", line.segment + 1, TimeOf(s, line.firstFrame).c_str(),
                    TimeOf(s, line.lastFrame + 1).c_str(), line.box.x, line.box.y, line.box.width, line.box.height,
                    Printable(line.text).c_str());
      }
    }
    if (json) std::printf("{\"file\": %s, \"lines\": [%s]}\n", JsonString(file).c_str(), lines.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ekconvert: %s: %s\n", Printable(file).c_str(), e.what());
    return 1;
  }
  return 0;
}

int SearchMovies(const std::string& query, const std::vector<std::string>& paths, bool json, int jobs) {
  std::string folder;
  std::vector<std::string> words;
  try {
    folder = TextCacheFolder();
    words = QueryWords(query);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ekconvert: %s\n", e.what());
    return 1;
  }
  if (words.empty()) {
    std::fprintf(stderr, "ekconvert: the query has no words to search for\n");
    return 1;
  }
  TMovieKeys keys(folder);
  std::vector<std::string> searched, searchedKeys;
  for (const std::string& file : MovieFiles(paths)) {
    try {
      searchedKeys.push_back(KeyOfMovie(keys, file));
      searched.push_back(file);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "ekconvert: %s: %s\n", Printable(file).c_str(), e.what());
    }
  }
  // The movies whose text is read are searched at once; the others are read
  // first and then searched too.
  std::vector<TMovieHits> found = SearchCaches(folder, searchedKeys, words);
  std::vector<size_t> unread;
  std::vector<std::string> unreadFiles, unreadKeys;
  for (size_t i = 0; i < searched.size(); ++i)
    if (!found[i].read) unread.push_back(i), unreadFiles.push_back(searched[i]), unreadKeys.push_back(searchedKeys[i]);
  ReadTextOfEach(unreadFiles, std::max(jobs, 1));
  std::vector<TMovieHits> foundAfterReading = SearchCaches(folder, unreadKeys, words);
  for (size_t u = 0; u < unread.size(); ++u) found[unread[u]] = std::move(foundAfterReading[u]);
  int hits = 0;
  std::string listed;
  for (size_t i = 0; i < searched.size(); ++i) {
    // A movie that could not be read said so when it was tried.
    for (const TTextLine& line : found[i].lines) {
      const TSegmentText& s = found[i].segments[static_cast<size_t>(line.segment)];
      ++hits;
      if (json) {
        listed += (listed.empty() ? "" : ", ") + std::string("{\"file\": ") + JsonString(searched[i]) +
                  ", \"line\": " + LineJson(line, s) + "}";
      } else {
        std::printf("%s\t%d\t%s\t%s\n", Printable(searched[i]).c_str(), line.segment + 1,
                    TimeOf(s, line.firstFrame).c_str(), Printable(line.text).c_str());
      }
    }
  }
  if (json) std::printf("{\"query\": %s, \"hits\": [%s]}\n", JsonString(query).c_str(), listed.c_str());
  return hits > 0 ? 0 : 1;
}

// Writes a movie of the text corpus, for trying the find window and text
// copying by hand and in the real X server test: one segment for each size.
// Usage: ek_text_corpus FONT POINTS[,POINTS...] OUTPUT.~ekflm
#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "MovieWriter.h"
#include "TextCorpus.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: ek_text_corpus FONT POINTS[,POINTS...] OUTPUT.~ekflm\n");
    return 2;
  }
  std::vector<int> points;
  for (const QString& p : QString::fromUtf8(argv[2]).split(',')) points.push_back(p.toInt());
  const auto bytes = moviewriter::WriteMovie(MakeCorpusMovie(argv[1], points).segments).bytes;
  std::ofstream out(argv[3], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}

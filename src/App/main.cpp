// sonbex3: the desktop program.

#include <QApplication>
#include <QMainWindow>

#include <clocale>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Numbers in files and fields are C-locale text, whatever Qt set.
  std::setlocale(LC_NUMERIC, "C");
  QMainWindow frame;
  frame.setWindowTitle("Sonbex 3");
  frame.resize(1024, 768);
  frame.show();
  return app.exec();
}

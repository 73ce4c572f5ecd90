#pragma once
// The splash screen: a frameless 420 x 316 picture with the product name and
// version, shown at start-up while the frame gets ready and closed by a timer
// (3000 ms by default). It never blocks the GUI thread.
// Threads: the GUI thread only.

#include <QTimer>
#include <QWidget>

namespace sonbex::shell {

inline constexpr int kSplashWidth = 420;
inline constexpr int kSplashHeight = 316;
inline constexpr int kSplashMs = 3000;

class SplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit SplashScreen(int showMs = kSplashMs, QWidget* parent = nullptr);
    // Shows it centred on the primary screen; it deletes itself when it closes.
    void ShowCentred();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;  // a click closes it early

private:
    QTimer timer_;
};

}  // namespace sonbex::shell

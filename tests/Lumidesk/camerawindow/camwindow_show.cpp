// Opens one camera window on the first listed camera (recording with "record", in keystone capture mode
// with "keystone", with the capture-mode pop-up open with "modes") and prints how long
// construction, the camera start and the first frames took; stays open for as long as asked (seconds, default 0) so that the
// window can be looked at. Run with LUMIDESK_SIMULATE=1 when no camera is connected.
#include "camerawindow/cameramainwidget.h"
#include "capture/qorvcapturesession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    const int staySeconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;

    QElapsedTimer clock;
    clock.start();
    CameraMainWidget window;
    window.setCameraOrder(1);
    window.setGeometry(300, 200, 760, 470);
    const qint64 constructed = clock.restart();
    window.show();
    QCoreApplication::processEvents();
    if (window.comboBoxSource->count() > 1)
        window.comboBoxSource->setCurrentIndex(1);
    const qint64 started = clock.restart();
    // Show the controls as a hovering mouse would.
    window.showCameraWidgetContent();
    std::printf("construction: %lld ms\ncamera start: %lld ms\ncamera: %s\n", constructed, started,
                qPrintable(window.comboBoxSource->currentText()));
    std::fflush(stdout);
    // With "record" as the second argument the window records, its running time shown.
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("record")) {
        window.recordClick();
        window.showRecordTime();
    }
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("keystone"))
        window.switchCaptureMode(CameraMainWidget::KeyStoneCapture);
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("modes"))
        QTimer::singleShot(1500, &window, [&window] { window.btnSwitch->click(); });
    QTimer::singleShot(3000, &window, [&window] {
        QWidget *preview = window.previewWindow();
        std::printf("preview: %s %d,%d %dx%d\n", preview->isVisible() ? "shown" : "hidden", preview->x(),
                    preview->y(), preview->width(), preview->height());
        std::fflush(stdout);
        if (qEnvironmentVariableIsSet("CAMWINDOW_GRAB"))
            preview->grab().save(qEnvironmentVariable("CAMWINDOW_GRAB"));
    });
    QTimer::singleShot(staySeconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}

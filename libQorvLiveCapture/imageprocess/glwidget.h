#pragma once

#include "qorvlivecaptureglobal.h"

#include <QGLWidget>
#include <QImage>

// A small OpenGL widget the library exports for callers that want to draw frames themselves: it
// paints a test triangle and can take frames into a texture.
class QORVLIVECAPTURE_EXPORT GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(QWidget *parent = nullptr);
    ~GLWidget() override;

    // Uploads the frame's pixels into the widget's texture: the first frame converted, later ones
    // as BGRA bytes. False for a null frame.
    bool updateTexture(const QImage &frame);
    bool hasTexture() const { return m_texture != 0; }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    GLuint m_texture = 0;
    QSize m_textureSize;
};

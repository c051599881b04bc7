#include "imageprocess/glwidget.h"

GLWidget::GLWidget(QWidget *parent)
    : QGLWidget(parent)
{
}

GLWidget::~GLWidget()
{
    if (m_texture != 0 && isValid()) {
        makeCurrent();
        glDeleteTextures(1, &m_texture);
    }
}

void GLWidget::initializeGL()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glEnable(GL_POLYGON_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0, 0, 0, 0);
}

void GLWidget::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLWidget::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex3f(0, 0, 0);
    glVertex3f(100, 500, 0);
    glVertex3f(500, 100, 0);
    glEnd();
}

bool GLWidget::updateTexture(const QImage &frame)
{
    if (frame.isNull())
        return false;
    makeCurrent();
    const QSize size = frame.size();
    if (m_texture == 0) {
        // The first frame is converted so that any pixel format the frame has is accepted.
        const QImage gl = QGLWidget::convertToGLFormat(frame);
        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, gl.width(), gl.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     gl.constBits());
        m_textureSize = size;
    } else if (size == m_textureSize && frame.depth() == 32 && frame.bytesPerLine() == size.width() * 4) {
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size.width(), size.height(), GL_BGRA, GL_UNSIGNED_BYTE,
                        frame.constBits());
    }
    return true;
}

#pragma once

#include <QImage>
#include <QSize>
#include <QVector>

// A page on a desk with a hand-like shape moving over it and a frame counter: about what a document
// camera sees. The writer benchmarks encode these.
QVector<QImage> benchDeskFrames(const QSize &size, int count);

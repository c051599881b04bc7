#pragma once

#include <QList>
#include <QPoint>
#include <QString>

// The look of the main toolbar on each screen edge: which bar image and narrow-button image it wears,
// where its buttons stand, in its enlarged and its narrow form. Edges: 0 top, 1 bottom, 2 left,
// 3 right; 0 and 1 use the horizontal bar, 2 and 3 the vertical one.
class ToolbarStyle
{
public:
    struct ButtonPlace
    {
        const char *objectName;
        QPoint position; // inside the button's parent
    };

    struct Look
    {
        QString barImage;    // for the bar's border image
        QString narrowImage; // the narrow button's three images
        ButtonPlace close;
    };

    static bool isEdge(int edge) { return edge >= 0 && edge <= 3; }
    static bool isVertical(int edge) { return edge == 2 || edge == 3; }

    // The bar image, the narrow button and the close button of an edge in one form. Only for edges 0
    // to 3.
    static Look look(int edge, bool narrow);
    // Where every button of the edge's bar stands in the enlarged form. Empty for other edges.
    static QList<ButtonPlace> buttonPlaces(int edge);

    // The bar's style sheet: its image stretched over the whole bar.
    static QString barStyle(const QString &barObjectName, const QString &image);
    // An image button's style sheet from "<images>_normal.png", "_hover.png" and "_pressed.png".
    static QString buttonStyle(const QString &images);
    // The resource path of a toolbar image.
    static QString imagePath(const QString &image);

private:
    ToolbarStyle() = delete;
};

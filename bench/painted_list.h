#pragma once

#include <QAbstractItemView>
#include <QListView>

// A list of painted rows as the tabs show it, panel-sized and on screen, for the list benchmarks.
template <class Model, class Rows> struct PaintedList
{
    PaintedList()
    {
        view.setModel(&model);
        view.setItemDelegate(&rows);
        view.setUniformItemSizes(false);
        view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(560, 480);
        view.show();
    }
    Model model;
    Rows rows;
    QListView view;
};

// TListPane, the list pane's drawing surface PB_List: rows of 20 pixels under a 20-pixel header,
// the number column, the selection inverted by exclusive-or and the cursor's blue outline. Every
// paint draws the whole pane into a back buffer first.
#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/editor/EditSession.h"

namespace orb {

// The fonts of the pane: Arial 15 px (bold by the setting) and the 12 px header.
struct ListFonts {
  QFont text;
  QFont header;
  explicit ListFonts(bool bold = false);
};

// Draws the rows into buffer, which is the pane's size.
void PaintListPane(QImage& buffer, const std::vector<ListRow>& rows, const ListFonts& fonts);

class TListPane : public QWidget {
  Q_OBJECT

 public:
  explicit TListPane(EditSession& session, QWidget* parent = nullptr);
  void SetBold(bool bold);
  const QImage& BackBuffer() const { return buffer_; }

  // The window's handlers for what this surface receives.
  std::function<void(QMouseEvent*)> on_press, on_move, on_release;
  std::function<void(QWheelEvent*)> on_wheel;
  std::function<void()> on_resize;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  EditSession& session_;
  ListFonts fonts_;
  QImage buffer_;
};

}  // namespace orb

#ifndef LEVORN_APP_WINDOW_API_H_
#define LEVORN_APP_WINDOW_API_H_

namespace levorn {

// The program's two windows.
enum class WindowId { kMain, kProgress };

// What the forms need of the window system. Positions and sizes are the
// outer rectangle in twips (1/1440 inch); Left and Top are screen positions.
// A failing operation raises a run-time error.
class WindowApi {
 public:
  virtual ~WindowApi() = default;

  // Creates the window with its design layout, hidden.
  virtual void Create(WindowId window) = 0;
  // Shows it modeless, without an owner.
  virtual void Show(WindowId window) = 0;
  // Repaints it and its label at once, without running the message loop.
  virtual void Refresh(WindowId window) = 0;
  // Closes and destroys it.
  virtual void Destroy(WindowId window) = 0;

  virtual float Left(WindowId window) = 0;
  virtual float Top(WindowId window) = 0;
  virtual float Width(WindowId window) = 0;
  virtual float Height(WindowId window) = 0;
  virtual void SetLeft(WindowId window, float twips) = 0;
  virtual void SetTop(WindowId window, float twips) = 0;
  virtual void SetWidth(WindowId window, float twips) = 0;
  virtual void SetHeight(WindowId window, float twips) = 0;
};

}  // namespace levorn

#endif  // LEVORN_APP_WINDOW_API_H_

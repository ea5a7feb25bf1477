// A deterministic OpenGL 1.x program that draws through every path the
// capture interceptor follows: each glBegin mode with assorted vertex,
// normal, colour and texture-coordinate variants, materials, colour
// material, lighting, shading, a texture, client arrays, and display lists
// (compiled before the first frame, nested, with a list base, redefined,
// deleted, compiled-and-executed, and one holding an array draw whose
// array is overwritten afterwards); and what cannot be captured: a draw
// from a vertex buffer and a bitmap. The same picture every frame.
// Usage: capture_paths FRAMES [OUT.ppm]  (OUT gets the last frame)
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 160, kHeight = 120;
int framesLeft = 1, frame = 0;
const char* outputPath = nullptr;

enum : GLuint { kListTwoDraws = 1, kListNested, kListArray, kListRedefined, kListDeleted, kListBase = 10, kListExecuted = 20 };

GLfloat arrayData[9] = {-1, -1, 0, 1, -1, 0, 0, 1, 0};
const GLushort quadIndices[4] = {0, 1, 2, 3};
GLfloat quadArray[12] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
const GLfloat interleaved[18] = {1, 0, 0, -1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0};

void compileListsBeforeFirstFrame() {
  glNewList(kListNested, GL_COMPILE);
  glPushMatrix();
  glTranslatef(0, -2, 0);
  glColor3ub(50, 200, 50);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(0, 0), glVertex2f(1, 0), glVertex2f(1, 1), glVertex2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  glPopMatrix();
  glEndList();

  glNewList(kListTwoDraws, GL_COMPILE);
  glColor3ub(200, 50, 50);
  glBegin(GL_TRIANGLES);
  glVertex3f(-4, 3, 0), glVertex3f(-3, 3, 0), glVertex3f(-3.5f, 4, 0);
  glEnd();
  glBegin(GL_QUADS);
  glVertex3f(-2, 3, 0), glVertex3f(-1, 3, 0), glVertex3f(-1, 4, 0), glVertex3f(-2, 4, 0);
  glEnd();
  glCallList(kListNested);
  glEndList();

  // The list keeps the array as it was when compiled.
  glVertexPointer(3, GL_FLOAT, 0, arrayData);
  glEnableClientState(GL_VERTEX_ARRAY);
  glNewList(kListArray, GL_COMPILE);
  glColor3ub(255, 255, 0);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glEndList();
  glDisableClientState(GL_VERTEX_ARRAY);
  for (GLfloat& v : arrayData) v *= 2;

  glNewList(kListRedefined, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  glVertex2f(0, 0), glVertex2f(1, 0), glVertex2f(0, 1);
  glEnd();
  glEndList();
  glNewList(kListRedefined, GL_COMPILE);
  glColor3ub(0, 255, 255);
  glBegin(GL_QUADS);
  glVertex2f(2, 2), glVertex2f(3, 2), glVertex2f(3, 3), glVertex2f(2, 3);
  glEnd();
  glEndList();

  glNewList(kListDeleted, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  glVertex2f(0, 0), glVertex2f(1, 0), glVertex2f(0, 1);
  glEnd();
  glEndList();
  glDeleteLists(kListDeleted, 1);

  for (int i = 0; i < 2; ++i) {
    glNewList(kListBase + i, GL_COMPILE);
    glColor3ub(255, 255, 255);
    glBegin(GL_LINES);
    glVertex2f(3.0f + i, -3), glVertex2f(3.5f + i, -2);
    glEnd();
    glEndList();
  }

  const GLubyte checker[4 * 4 * 4] = {
      255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255,
      0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255,
      255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255,
      0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255};
  glBindTexture(GL_TEXTURE_2D, 7);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, checker);
  const GLubyte green[3] = {0, 255, 0};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 3, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, green);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void drawImmediateModes() {
  glPointSize(3);
  glColor3f(1, 1, 1);
  glBegin(GL_POINTS);
  glVertex2f(-3, 2), glVertex2d(-2.5, 2), glVertex3s(-2, 2, 0);
  glEnd();

  glPushMatrix();
  glTranslated(1, 0, 0);
  const GLfloat a[3] = {-4, 1, 0}, b[3] = {-3, 1, 0};
  const GLdouble c[3] = {-4, 0.5, 0}, d[3] = {-3, 0.5, 0};
  glBegin(GL_LINES);
  glVertex3fv(a), glVertex3fv(b), glVertex3dv(c), glVertex3dv(d);
  glEnd();
  glPopMatrix();

  glBegin(GL_LINE_STRIP);
  glVertex4f(-4, 0, 0, 1), glVertex2i(-3, 0), glVertex2f(-2, 0.5f);
  glEnd();

  glBegin(GL_LINE_LOOP);
  glVertex2f(-4, -1), glVertex2f(-3, -1), glVertex2f(-3, -0.5f), glVertex2f(-4, -0.5f);
  glEnd();

  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  const GLfloat red[4] = {0.8f, 0.1f, 0.1f, 1}, position[4] = {1, 1, 1, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, red);
  glMaterialf(GL_FRONT, GL_SHININESS, 20);
  glNormal3f(0, 0, 1);
  glBegin(GL_TRIANGLES);
  glVertex2f(-1, 1), glVertex2f(0, 1), glVertex2f(-0.5f, 2);
  glVertex2f(0, 1), glVertex2f(1, 1), glVertex2f(0.5f, 2);
  glEnd();

  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
  glPushMatrix();
  glRotated(10, 0, 0, 1);
  glBegin(GL_TRIANGLE_STRIP);
  glColor3f(1, 0, 0), glVertex2f(-1, -1);
  glColor3f(0, 1, 0), glVertex2f(-1, 0);
  glColor3f(0, 0, 1), glVertex2f(0, -1);
  glColor3f(1, 1, 0), glVertex2f(0, 0);
  glColor3f(0, 1, 1), glVertex2f(1, -1);
  glEnd();
  glPopMatrix();
  glDisable(GL_COLOR_MATERIAL);

  glShadeModel(GL_FLAT);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3d(0, 0, 1);
  glVertex2f(2, 0), glVertex2f(3, 0), glVertex2f(3, 0.5f), glVertex2f(2.5f, 1), glVertex2f(2, 1), glVertex2f(1.5f, 0.5f);
  glEnd();
  glShadeModel(GL_SMOOTH);
  glDisable(GL_LIGHTING);

  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 7);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(1, -3);
  glTexCoord2f(1, 0), glVertex2f(2, -3);
  glTexCoord2f(1, 1), glVertex2f(2, -2);
  glTexCoord2f(0, 1), glVertex2f(1, -2);
  glEnd();
  glDisable(GL_TEXTURE_2D);

  const GLdouble scale[16] = {0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1};
  glPushMatrix();
  glMultMatrixd(scale);
  glBegin(GL_QUAD_STRIP);
  glNormal3b(0, 0, 127);
  glColor4ub(255, 128, 0, 255), glVertex2f(-2, -6), glVertex2f(-2, -5);
  glColor4ub(255, 128, 0, 255), glVertex2f(-1, -6), glVertex2f(-1, -5);
  glVertex2f(0, -6), glVertex2f(0, -5);
  glEnd();
  glPopMatrix();

  glColor3f(0.5f, 0.5f, 1);
  glBegin(GL_POLYGON);
  glVertex2f(3, 2), glVertex2f(4, 2), glVertex2f(4.3f, 2.7f), glVertex2f(3.5f, 3.2f), glVertex2f(2.7f, 2.7f);
  glEnd();
}

void drawClientArrays() {
  glColor3f(0.7f, 0.7f, 0.7f);
  glPushMatrix();
  glTranslatef(-1, -3, 0);
  glVertexPointer(3, GL_FLOAT, 0, arrayData);
  glEnableClientState(GL_VERTEX_ARRAY);
  glScalef(0.25f, 0.25f, 0.25f);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glVertexPointer(3, GL_FLOAT, 0, quadArray);
  glTranslatef(-4, 0, 0);
  glDrawElements(GL_QUADS, 4, GL_UNSIGNED_SHORT, quadIndices);
  glTranslatef(-4, 0, 0);
  glBegin(GL_TRIANGLES);
  glArrayElement(0), glArrayElement(1), glArrayElement(2);
  glEnd();
  glDisableClientState(GL_VERTEX_ARRAY);
  glTranslatef(12, 0, 0);
  glInterleavedArrays(GL_C3F_V3F, 0, interleaved);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glPopMatrix();
}

void drawUncapturable() {
  static GLuint buffer = 0;
  if (!buffer) {
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLfloat triangle[9] = {3, -4, 0, 4, -4, 0, 3.5f, -3.5f, 0};
    glBufferData(GL_ARRAY_BUFFER, sizeof triangle, triangle, GL_STATIC_DRAW);
  }
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_VERTEX_ARRAY);
  glColor3f(1, 0, 1);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glDisableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  const GLubyte bits[8] = {0xff, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xff};
  glRasterPos2f(4, 3.5f);
  glBitmap(8, 8, 0, 0, 0, 0, bits);
}

void drawLists() {
  glCallList(kListTwoDraws);
  glCallList(kListArray);
  glCallList(kListRedefined);
  glCallList(kListDeleted);
  glListBase(kListBase);
  const GLubyte names[2] = {0, 1};
  glCallLists(2, GL_UNSIGNED_BYTE, names);
  glListBase(0);
  if (frame == 1) {
    glNewList(kListExecuted, GL_COMPILE_AND_EXECUTE);
    glColor3ub(0, 0, 255);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2f(-4, -4), glVertex2f(-4, -3.5f), glVertex2f(-3.5f, -4), glVertex2f(-3.5f, -3.5f);
    glEnd();
    glEndList();
  } else {
    glCallList(kListExecuted);
  }
}

void writeFrame(const char* path) {
  std::vector<unsigned char> pixels(kWidth * kHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  FILE* file = std::fopen(path, "wb");
  if (!file) std::exit(3);
  std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight);
  std::fwrite(pixels.data(), 1, pixels.size(), file);
  std::fclose(file);
}

void display() {
  ++frame;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, double(kWidth) / kHeight, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
  drawImmediateModes();
  drawClientArrays();
  drawUncapturable();
  drawLists();
  if (frame == framesLeft && outputPath) writeFrame(outputPath);
  glutSwapBuffers();
  if (frame >= framesLeft) std::exit(0);
  glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  if (argc > 1) framesLeft = std::max(1, std::atoi(argv[1]));
  if (argc > 2) outputPath = argv[2];
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kWidth, kHeight);
  glutCreateWindow("capture_paths");
  glViewport(0, 0, kWidth, kHeight);
  compileListsBeforeFirstFrame();
  glutDisplayFunc(display);
  glutMainLoop();
  return 0;
}

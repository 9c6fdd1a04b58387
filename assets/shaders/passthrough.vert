// Hands position, texture coordinate and colour on unchanged, as SFML's
// fixed pipeline would.
// Uniforms: none (SFML's matrices arrive as the built-in gl_ModelViewProjectionMatrix
// and gl_TextureMatrix[0]).
#version 120

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
}

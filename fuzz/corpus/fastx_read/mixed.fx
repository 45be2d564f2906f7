>a
ACGT
@r
AC
+
II
>b
A

! Reference renderings of F, E and 1PE fields. Reads 32-bit patterns (hex,
! one per line) from float_values.txt and writes float_vectors.txt: the
! pattern, the edit descriptor and the field between bars. Run once; the
! output is checked in as test data.
program gen_float_vectors
  implicit none
  integer, parameter :: nf = 20
  character(len=12), parameter :: fmts(nf) = [character(len=12) :: &
       '(F6.2)', '(F6.0)', '(F2.0)', '(F3.2)', '(F4.2)', '(F5.1)', '(F8.3)', '(F9.1)', '(F10.1)', &
       '(F10.6)', '(F12.8)', '(F13.8)', '(F8.5)', '(F12.3)', '(E10.3)', '(E14.3)', '(E9.3)', &
       '(1PE23.15)', '(1PE10.3)', '(1PE12.5)']
  integer, parameter :: widths(nf) = [6, 6, 2, 3, 4, 5, 8, 9, 10, 10, 12, 13, 8, 12, 10, 14, 9, 23, 10, 12]
  integer :: pattern, j, ios
  real(4) :: x
  character(len=64) :: field
  open(10, file='float_values.txt', status='old', action='read')
  open(11, file='float_vectors.txt', status='replace', action='write')
  do
    read(10, '(Z8)', iostat=ios) pattern
    if (ios /= 0) exit
    x = transfer(pattern, x)
    do j = 1, nf
      field = ' '
      write(field, fmts(j)) x
      write(11, '(Z8.8,1X,A,1X,A,A,A)') pattern, fmts(j)(2:len_trim(fmts(j))-1), '|', field(1:widths(j)), '|'
    end do
  end do
  close(10)
  close(11)
end program gen_float_vectors
